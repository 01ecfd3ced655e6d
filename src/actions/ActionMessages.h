// Every event-log and caption text of the actions, in one place so that the
// wording can be checked. Compiled to Windows-1251.
#pragma once

namespace vireo::msg {

inline constexpr char kSkip[] = " - Skip -";
inline constexpr char kShutdownCancelled[] = "Отмена выключения";
inline constexpr char kUnknownCommandPrefix[] = "Непонятная команда ";
inline constexpr char kBroadcast[] = "Широковещательная рассылка";
inline constexpr char kSentPrefix[] = "Послано ";
inline constexpr char kLaunchError[] = "Ошибка запуска";
inline constexpr char kLaunchFilePrefix[] = "Файл: ";
inline constexpr char kLaunchDirectoryPrefix[] = "Рабочая директория: ";
inline constexpr char kLaunchParametersPrefix[] = "Параметры: ";
inline constexpr char kLouderPrefix[] = "Громче ";
inline constexpr char kQuieterPrefix[] = "Тише ";
inline constexpr char kVolumeError[] = "ERROR";
// Our own: the shutdown request was refused (the main window closes anyway),
// and a chain of program steps was cut at the per-tick bound.
inline constexpr char kShutdownFailed[] = "Не удалось выключить компьютер";
inline constexpr char kDrainCut[] = "Слишком много команд за один такт, остальные ждут";

}  // namespace vireo::msg
