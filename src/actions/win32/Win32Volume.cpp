#include "actions/win32/Win32Volume.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <cmath>
#include <vector>

namespace vireo {

bool EndpointVolume::Open() {
  if (endpoint_) return true;
  // Another apartment already set up on this thread serves as well.
  const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comStarted_ = SUCCEEDED(started);
  IMMDeviceEnumerator* devices = nullptr;
  IMMDevice* device = nullptr;
  if (SUCCEEDED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                   __uuidof(IMMDeviceEnumerator),
                                   reinterpret_cast<void**>(&devices))) &&
      SUCCEEDED(devices->GetDefaultAudioEndpoint(eRender, eConsole, &device))) {
    device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                     reinterpret_cast<void**>(&endpoint_));
  }
  if (device) device->Release();
  if (devices) devices->Release();
  if (!endpoint_) Close();
  return endpoint_ != nullptr;
}

void EndpointVolume::Close() {
  if (endpoint_) endpoint_->Release();
  endpoint_ = nullptr;
  if (comStarted_) ::CoUninitialize();
  comStarted_ = false;
}

std::int32_t EndpointVolume::Volume() {
  float level = 0;
  if (!endpoint_ || FAILED(endpoint_->GetMasterVolumeLevelScalar(&level))) return -1;
  return static_cast<std::int32_t>(std::lround(level * kMaximum));
}

void EndpointVolume::SetVolume(std::int32_t value) {
  if (endpoint_)
    endpoint_->SetMasterVolumeLevelScalar(static_cast<float>(value) / kMaximum, nullptr);
}

void EndpointVolume::EnableLine() {
  if (endpoint_) endpoint_->SetMute(FALSE, nullptr);
}

bool MixerVolume::Open() {
  if (mixer_) return true;
  if (::mixerGetNumDevs() == 0) return false;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = 22050;
  format.nAvgBytesPerSec = 44100;
  format.nBlockAlign = 2;
  format.wBitsPerSample = 16;
  HWAVEOUT wave = nullptr;
  if (::waveOutOpen(&wave, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    return false;
  }
  UINT mixerId = 0;
  const MMRESULT found =
      ::mixerGetID(reinterpret_cast<HMIXEROBJ>(wave), &mixerId, MIXER_OBJECTF_HWAVEOUT);
  ::waveOutClose(wave);
  if (found != MMSYSERR_NOERROR) return false;
  if (::mixerOpen(&mixer_, mixerId, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
    mixer_ = nullptr;
    return false;
  }
  if (FindVolumeControl()) return true;
  Close();
  return false;
}

bool MixerVolume::FindVolumeControl() {
  MIXERLINEW line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  auto object = reinterpret_cast<HMIXEROBJ>(mixer_);
  if (::mixerGetLineInfoW(object, &line, MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR) {
    return false;
  }
  MIXERCONTROLW control{};
  control.cbStruct = sizeof control;
  MIXERLINECONTROLSW controls{};
  controls.cbStruct = sizeof controls;
  controls.dwLineID = line.dwLineID;
  controls.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof control;
  controls.pamxctrl = &control;
  if (::mixerGetLineControlsW(object, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
          MMSYSERR_NOERROR ||
      (control.fdwControl & MIXERCONTROL_CONTROLF_DISABLED) != 0) {
    return false;
  }
  lineId_ = line.dwLineID;
  controlId_ = control.dwControlID;
  channels_ = line.cChannels > 0 ? line.cChannels : 1;
  minimum_ = static_cast<std::int32_t>(control.Bounds.dwMinimum);
  maximum_ = static_cast<std::int32_t>(control.Bounds.dwMaximum);
  return true;
}

void MixerVolume::Close() {
  if (mixer_) ::mixerClose(mixer_);
  mixer_ = nullptr;
}

namespace {
// The request for one value per channel of the control.
MIXERCONTROLDETAILS DetailsFor(DWORD controlId, std::vector<MIXERCONTROLDETAILS_UNSIGNED>& values) {
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof details;
  details.dwControlID = controlId;
  details.cChannels = static_cast<DWORD>(values.size());
  details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
  details.paDetails = values.data();
  return details;
}
}  // namespace

std::int32_t MixerVolume::Volume() {
  std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(channels_);
  MIXERCONTROLDETAILS details = DetailsFor(controlId_, values);
  if (!mixer_ || ::mixerGetControlDetailsW(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                           MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR) {
    return -1;
  }
  return static_cast<std::int32_t>(values[0].dwValue);
}

void MixerVolume::SetVolume(std::int32_t value) {
  if (!mixer_) return;
  std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(channels_);
  for (auto& v : values) v.dwValue = static_cast<DWORD>(value);
  MIXERCONTROLDETAILS details = DetailsFor(controlId_, values);
  ::mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                           MIXER_SETCONTROLDETAILSF_VALUE);
}

void MixerVolume::EnableLine() {
  if (!mixer_) return;
  auto object = reinterpret_cast<HMIXEROBJ>(mixer_);
  MIXERLINEW line{};
  line.cbStruct = sizeof line;
  line.dwLineID = lineId_;
  if (::mixerGetLineInfoW(object, &line, MIXER_GETLINEINFOF_LINEID) != MMSYSERR_NOERROR ||
      line.cControls == 0) {
    return;
  }
  std::vector<MIXERCONTROLW> all(line.cControls);
  for (auto& control : all) control.cbStruct = sizeof control;
  MIXERLINECONTROLSW controls{};
  controls.cbStruct = sizeof controls;
  controls.dwLineID = lineId_;
  controls.cControls = line.cControls;
  controls.cbmxctrl = sizeof(MIXERCONTROLW);
  controls.pamxctrl = all.data();
  if (::mixerGetLineControlsW(object, &controls, MIXER_GETLINECONTROLSF_ALL) != MMSYSERR_NOERROR) {
    return;
  }
  for (const MIXERCONTROLW& control : all) {
    DWORD value = 0;
    switch (control.dwControlType) {
      case MIXERCONTROL_CONTROLTYPE_MUTE:
        value = 0;
        break;
      case MIXERCONTROL_CONTROLTYPE_SINGLESELECT:
      case MIXERCONTROL_CONTROLTYPE_MUX:
      case MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT:
      case MIXERCONTROL_CONTROLTYPE_MIXER:
        value = 1;
        break;
      default:
        continue;
    }
    const DWORD channels = (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) ? 1 : channels_;
    const DWORD items =
        (control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) ? control.cMultipleItems : 0;
    std::vector<MIXERCONTROLDETAILS_UNSIGNED> values(channels * (items ? items : 1));
    for (auto& v : values) v.dwValue = value;
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = channels;
    details.cMultipleItems = items;
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
    details.paDetails = values.data();
    ::mixerSetControlDetails(object, &details, MIXER_SETCONTROLDETAILSF_VALUE);
  }
}

bool Win32MasterVolume::Open() {
  if (endpoint_.Open()) {
    active_ = &endpoint_;
    return true;
  }
  active_ = &mixer_;
  return mixer_.Open();
}

void Win32MasterVolume::Close() {
  endpoint_.Close();
  mixer_.Close();
}

}  // namespace vireo
