// Every event-log text of the capture engine, in one place so that the
// wording can be checked. Compiled to Windows-1251.
#pragma once

namespace vireo::msg {

inline constexpr char kIniName[] = "VIREO.INI";
inline constexpr char kCannotReadIni[] = "Не могу прочитать VIREO.INI";
inline constexpr char kIniRead[] = "VIREO.INI прочитан";
inline constexpr char kHighLevelUnavailable[] = "Высокоуровневый таймер недоступен";
inline constexpr char kLowLevelUnavailable[] = "Низкоуровневый таймер недоступен";
inline constexpr char kHighLevelInUse[] = "Используется высокоуровневый таймер";
inline constexpr char kLowLevelInUse[] = "Используется низкоуровневый таймер";
inline constexpr char kTimerError[] = "Ошибка установки таймера";
inline constexpr char kCannotOpenPrefix[] = "Не могу открыть '";
inline constexpr char kOpenedPrefix[] = "Открыт COM";
inline constexpr char kCannotSetDtr[] = "Не могу включить DTR";
inline constexpr char kDtrOn[] = "DTR включен";
inline constexpr char kCannotSetRts[] = "Не могу включить RTS";
inline constexpr char kRtsOn[] = "RTS включен";
inline constexpr char kCannotReadCts[] = "Не могу получить cts";
inline constexpr char kNoReceiver[] = "Не найден фотоприемник";
inline constexpr char kCircuitAt[] = "Схему и рекмендации по сборке можно найти на";
// Where the receiver's circuit is described: the README beside the program.
inline constexpr char kCircuitAddress[] = "README.md#the-receiver";
inline constexpr char kReceiverFound[] = "Обнаружен фотоприемник";
inline constexpr char kNoPerformance[] = "Не могу получить performance";
inline constexpr char kTimerTicksPrefix[] = "Таймер тикает ";
inline constexpr char kTimerTicksSuffix[] = " раз в мс";
inline constexpr char kBufferPrefix[] = "Длинна буфера ";
inline constexpr char kBufferSuffix[] = " мс";
inline constexpr char kPacketStartPrefix[] = "Начало пакета ";
inline constexpr char kPacketEndPrefix[] = "Завершение пакета ";
inline constexpr char kPointsSuffix[] = " точек по шкале";
// The start line's words end in Cyrillic х, the end line's in Latin x.
inline constexpr char kStartWhite[] = "белых";
inline constexpr char kStartBlack[] = "черных";
inline constexpr char kEndWhite[] = "белыx";
inline constexpr char kEndBlack[] = "черныx";
inline constexpr char kCannotSetPriorityPrefix[] = "Не удается установить ";
inline constexpr char kPrioritySetPrefix[] = "Установлен ";
inline constexpr char kPrioritySuffix[] = " приоритет для процесса";
inline constexpr char kPriorityLow[] = "низкий";
inline constexpr char kPriorityNormal[] = "нормальный";
inline constexpr char kPriorityHigh[] = "высокий";
inline constexpr char kPriorityRealtime[] = "REALTIME";
inline constexpr char kThreadStarted[] = "Тред запущен";
inline constexpr char kThreadStopped[] = "Тред остановлен";
inline constexpr char kSecondCopy[] = "Попытка запуска второй копии Vireo";
inline constexpr char kNoCommandPrefix[] = "Нет комманды для '";
inline constexpr char kStackOverflow[] = "Стек переполнен";

// The opt-in keys: a bad value, with what the key may be.
inline constexpr char kBadValuePrefix[] = "Неверное значение ";
inline constexpr char kAllowedFlag[] = "0 или 1";
inline constexpr char kAllowedFromZero[] = "целое от 0 до 1000000";
inline constexpr char kAllowedFromOne[] = "целое от 1 до 1000000";
inline constexpr char kAllowedPeriods[] =
    "до 25 целых от 1 до 1000000 через запятую, по возрастанию";
inline constexpr char kAllowedWithPeriods[] = "только вместе с CODE_PERIODS";
inline constexpr char kAllowedCommands[] = "целое от 1 до 1000";
// The start-up lines of the opt-in keys that are in force.
inline constexpr char kEdgeWaitOn[] = "Ожидание фронта CTS включено";
inline constexpr char kCannotWaitEdge[] = "Не могу ждать фронт CTS";
inline constexpr char kPeriodCodePrefix[] = "Код по периодам пар, границы в мкс:";
inline constexpr char kLongBurstPrefix[] = "Длинная вспышка: дольше кратчайшей на ";
inline constexpr char kMicrosecondsSuffix[] = " мкс";
inline constexpr char kLastCommandPrefix[] = "Команды ищутся с COMMAND1 по COMMAND";

// The receiver board on USB ([COM] Receiver=BOARD).
inline constexpr char kAllowedReceivers[] = "CTS или BOARD";
inline constexpr char kNoBoardLine[] = "Плата приемника здесь не поддерживается";
inline constexpr char kBoardFoundPrefix[] = "Найдена плата приемника ";
inline constexpr char kBoardSilentPrefix[] = "Нет ответа платы приемника на COM";
inline constexpr char kNotBoardPrefix[] = "Ответ не платы приемника: '";
inline constexpr char kBoardLost[] = "Плата приемника перестала отвечать";
inline constexpr char kBoardOverflow[] = "Плата приемника не успела передать часть сигнала";

}  // namespace vireo::msg
