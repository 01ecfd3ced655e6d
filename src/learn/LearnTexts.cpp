#include "learn/LearnTexts.h"

#include <algorithm>
#include <cstdio>

#include "text/Cp1251.h"

namespace vireo::learn::text {

namespace {

std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string out = text;
  std::replace(out.begin(), out.end(), '.', ',');
  return out;
}

std::string Quoted(const std::string& name) { return "«" + Utf8ToCp1251(name) + "»"; }

std::string Number(std::int64_t value) { return std::to_string(value); }

}  // namespace

std::string Ms(double us) { return Decimal(us / 1000.0) + " мс"; }

std::string Percent(int part, int whole) {
  return Decimal(whole > 0 ? 100.0 * part / whole : 0.0) + " %";
}

std::string TriedFirst() { return "испробованные настройки (верно, ошибочно):"; }

std::string Tried(bool periods, std::int32_t stop, int right, int wrong) {
  return (periods ? " код по периодам, конец пакета " + Number(stop) + " мкс: "
                  : " код по отношению, конец пакета " + Number(stop) + " мс: ") +
         Number(right) + ", " + Number(wrong) + ";";
}

std::string TriedLast(int presses) { return " по " + Number(presses) + " нажатий на кнопку"; }

std::string SeveralSignals(const std::string& name, std::size_t signals) {
  return "несколько сигналов: кнопка " + Quoted(name) + " записана с " + Number(signals) +
         " разными сигналами, у каждого свой раздел";
}

std::string Collision(const std::string& name, const std::string& other) {
  return "неразличимы: " + Quoted(name) + " и " + Quoted(other) + ": никакой Value их не различает";
}

std::string NoValue(const std::string& name) {
  return "нет Value: в коде " + Quoted(name) +
         " нет части, которая была бы в её нажатиях и не было бы в нажатиях других кнопок";
}

std::string Unsteady(const std::string& name, int right, int presses) {
  return "неустойчива: " + Quoted(name) + ": распознано " + Percent(right, presses) +
         " её нажатий, код меняется от нажатия к нажатию";
}

std::string LateStart(const std::string& name) {
  return "поздний старт: " + Quoted(name) +
         " начинается со вспышки, которую из-за краткости замечают поздно (линия в покое "
         "опрашивается раз в 1 мс): первый кадр часто теряется";
}

std::string NoStart(const std::string& name) {
  return "нет старта: у " + Quoted(name) +
         " нет вспышки в 2 мс и дольше, с которой мог бы начаться пакет";
}

std::string TooLong(const std::string& name, std::int32_t bufferMs) {
  return "слишком длинная: " + Quoted(name) + " не помещается в буфер в " + Number(bufferMs) +
         " мс";
}

std::string LeftOut(const std::string& name, std::size_t lastSection) {
  return "не вошла: " + Quoted(name) + " (команды ищутся только с COMMAND1 по COMMAND" +
         Number(static_cast<std::int64_t>(lastSection)) + ")";
}

std::string Expected(int right, int wrong, int none) {
  const int all = right + wrong + none;
  return "ожидается на " + Number(all) + " искажённых нажатиях: " + Percent(right, all) +
         " верно, " + Percent(wrong, all) + " ошибочно, " + Percent(none, all) + " без команды";
}

const char* const kHeader[3] = {
    "; Составлен vireo-learn по записям кнопок этого пульта. Строки, которые",
    "; начинаются с точки с запятой, — пояснения: Vireo читает их как ключи,",
    "; которые нигде не используются.",
};
const char kPort[] = "; Порт приёмника: COM1.";

std::string LastCommand(const std::string& last) {
  return "; Кнопок больше, чем COMMAND49: команды ищутся до COMMAND" + last + ".";
}

std::string CommandNote(const std::string& name, int right, int presses) {
  return Utf8ToCp1251(name) + ": распознано " + Percent(right, presses) + " из " + Number(presses) +
         " искажённых нажатий";
}

std::string CollidesWith(const std::string& other) {
  return "; неотличима от " + Utf8ToCp1251(other);
}

const char kTimerType[] = "0 — таймер выбирается сам (сначала performance counter).";

std::string PacketSleep(double longestGapUs, const char* merging) {
  return "Самая долгая тишина между кадрами одного нажатия — " + Ms(longestGapUs) +
         "; более долгая после пакета заканчивает нажатие, поэтому нажатия, между "
         "которыми меньше " +
         merging + ", сливаются.";
}

std::string SleepTimeSmall(double shortestGapUs) {
  return "Пауза после распознанной кнопки (приём не идёт) кончается раньше следующего кадра "
         "удерживаемой кнопки, который приходит через " +
         Ms(shortestGapUs) + " после предыдущего.";
}

std::string AddPrecision(int edges) {
  return "Повтор сливается со сводной картинкой, если на каждый фронт (их " + Number(edges) +
         ") не совпадает не больше 2 точек и нигде не 3 подряд.";
}

std::string PacketValid(std::int32_t slots) {
  return "Пакет из " + Number(slots) +
         " точек и меньше — почти одна пауза конца пакета, то есть помеха.";
}

const char kSleepTimeBigPolled[] =
    "Линия в покое опрашивается раз в 1 мс: первую вспышку замечают не позже чем через 1 мс.";
const char kSleepTimeBigEdgeWait[] =
    "При EDGE_WAIT=1 не используется; при EDGE_WAIT=0 линия в покое опрашивается раз в 1 мс.";

std::string PacketStopPause(std::int32_t stopMs, double longestPauseUs) {
  return "Пакет заканчивается, когда тишина на линии (1, белое) длится дольше " + Number(stopMs) +
         " мс: самая длинная пауза внутри пакета — " + Ms(longestPauseUs) + ".";
}

std::string PacketStartPause(double longestHeadUs) {
  return "Пакет начинается, когда вспышка (0, чёрное) длится дольше 1 мс: первые вспышки "
         "здесь длятся до " +
         Ms(longestHeadUs) + ", и пакет начинается на первой из них.";
}

std::string BufferSize(double longestContentUs, bool cut, double slotUs, double shortestRunUs) {
  return "Самый длинный пакет — " + Ms(longestContentUs) + " сигнала" +
         (cut ? ", больше, чем помещается: буфер укорочен, чтобы на самый короткий отрезок "
                "приходилось 3 точки"
              : "") +
         "; точки по " + Ms(slotUs) + " против отрезков от " + Ms(shortestRunUs) + ".";
}

std::string PacketStopUs(std::int32_t stopUs, double longestPauseUs) {
  return "Пакет заканчивается, когда тишина на линии (1, белое) длится дольше " + Number(stopUs) +
         " мкс: самая длинная пауза внутри пакета — " + Ms(longestPauseUs) + ".";
}

const char kPacketStartUs[] =
    "Пакет начинается с первого же отсчёта любой вспышки (0, чёрное), как бы коротка она ни "
    "была.";
const char kEdgeWait[] =
    "В покое линия не опрашивается, а ждёт изменения CTS: первую вспышку видно, как только "
    "порт о ней сообщит.";

std::string BufferSizeByEdges(double longestContentUs, double slotUs) {
  return "Самый длинный пакет — " + Ms(longestContentUs) + " сигнала; точки по " + Ms(slotUs) +
         " только рисуют его: код считается по фронтам.";
}

const char kCodePeriods[] =
    "Пары читаются по периоду (вспышка и пауза после неё), который не меняется оттого, что "
    "приёмник удлиняет вспышку; из испробованных границ классов (в мкс, в промежутках между "
    "периодами искажённых нажатий) эти распознали больше всего: период до первой границы — "
    "буква a, до второй — b и так далее.";
const char kLongBurst[] =
    "Вспышка, которая дольше самой короткой вспышки пакета больше чем на столько, читается "
    "заглавной буквой: вспышки здесь расходятся именно тут, как бы их ни удлинял приёмник.";
const char kNoLongBurst[] =
    "0: вспышки здесь не делятся на классы, все пары читаются строчными буквами.";

std::string Threshold(int lowest, int highest, std::int32_t chosen) {
  return "Из порогов от " + Number(lowest) + " до " + Number(highest) +
         " (в сотых отношения пары), испробованных на искажённых нажатиях, больше всего "
         "распознал " +
         Number(chosen) + ": пара выше него читается 1, не выше — 0.";
}

const char kPacketMin[] =
    "На единицу больше, чтобы ни одна пара не читалась как ?: пара, равная PACKET_MAX, "
    "читается 0.";

}  // namespace vireo::learn::text
