// The master output volume on Windows. Since Vista the multimedia mixer moves
// only this program's own session, so the default playback device's endpoint
// volume (Core Audio) comes first, as a control of 0..65535; the mixer's
// speaker line is the fallback where no endpoint can be had.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <cstdint>
#include <memory>

#include "actions/VolumeSource.h"

struct IAudioEndpointVolume;

namespace vireo {

class EndpointVolume final : public VolumeSource {
 public:
  static constexpr std::int32_t kMaximum = 65535;
  ~EndpointVolume() override { Close(); }
  bool Open() override;
  void Close() override;
  std::int32_t Minimum() override { return 0; }
  std::int32_t Maximum() override { return kMaximum; }
  std::int32_t Volume() override;
  void SetVolume(std::int32_t value) override;
  // Un-mutes the endpoint.
  void EnableLine() override;

 private:
  IAudioEndpointVolume* endpoint_ = nullptr;
  bool comStarted_ = false;
};

// The speaker line of the mixer that belongs to the default wave output.
class MixerVolume final : public VolumeSource {
 public:
  ~MixerVolume() override { Close(); }
  bool Open() override;
  void Close() override;
  std::int32_t Minimum() override { return minimum_; }
  std::int32_t Maximum() override { return maximum_; }
  std::int32_t Volume() override;
  void SetVolume(std::int32_t value) override;
  // Mute controls off, list controls' items on.
  void EnableLine() override;

 private:
  bool FindVolumeControl();

  HMIXER mixer_ = nullptr;
  DWORD lineId_ = 0;
  DWORD controlId_ = 0;
  DWORD channels_ = 1;
  std::int32_t minimum_ = -1;
  std::int32_t maximum_ = -1;
};

// The endpoint when there is one, else the mixer.
class Win32MasterVolume final : public VolumeSource {
 public:
  bool Open() override;
  void Close() override;
  std::int32_t Minimum() override { return active_->Minimum(); }
  std::int32_t Maximum() override { return active_->Maximum(); }
  std::int32_t Volume() override { return active_->Volume(); }
  void SetVolume(std::int32_t value) override { active_->SetVolume(value); }
  void EnableLine() override { active_->EnableLine(); }

 private:
  EndpointVolume endpoint_;
  MixerVolume mixer_;
  VolumeSource* active_ = &mixer_;
};

}  // namespace vireo
