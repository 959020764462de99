// Generated archive data. Every number comes from a small counter-based mixer seeded by (seed,
// ticker, date), so a day file is the same whatever order days are generated in, and neighbouring
// days continue each other's price level closely enough to look like a market.
#include "tools/lib/day_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace arl::tools {

namespace {

struct TickerInfo {
  const char* name;
  double price;  // a typical level
};

// Majors, then crosses, metals and exotics.
constexpr TickerInfo kTickers[] = {
    {"EURUSD", 1.2500}, {"GBPUSD", 1.6000}, {"USDJPY", 110.00}, {"USDCHF", 1.1500}, {"AUDUSD", 0.7800},
    {"USDCAD", 1.2000}, {"NZDUSD", 0.6900}, {"EURJPY", 135.00}, {"GBPJPY", 185.00}, {"EURGBP", 0.7200},
    {"EURCHF", 1.4500}, {"AUDJPY", 86.000}, {"CHFJPY", 95.000}, {"EURAUD", 1.6000}, {"EURCAD", 1.5000},
    {"GBPCHF", 2.1000}, {"CADJPY", 91.000}, {"AUDNZD", 1.1200}, {"NZDJPY", 76.000}, {"AUDCAD", 0.9400},
    {"AUDCHF", 0.9000}, {"EURNZD", 1.8000}, {"GBPAUD", 2.0500}, {"GBPCAD", 1.9200}, {"GBPNZD", 2.3000},
    {"CADCHF", 0.9600}, {"NZDCAD", 0.8300}, {"NZDCHF", 0.7900}, {"XAUUSD", 650.00}, {"XAGUSD", 12.500},
    {"XAUEUR", 520.00}, {"XAGEUR", 10.000}, {"USDSEK", 7.2000}, {"USDNOK", 6.3000}, {"USDDKK", 5.9000},
    {"EURSEK", 9.1000}, {"EURNOK", 7.9000}, {"EURDKK", 7.4500}, {"USDPLN", 3.1000}, {"EURPLN", 3.9000},
    {"USDHUF", 210.00}, {"EURHUF", 260.00}, {"USDCZK", 22.000}, {"EURCZK", 28.000}, {"USDTRY", 1.4500},
    {"EURTRY", 1.8000}, {"USDZAR", 7.0000}, {"USDMXN", 11.000}, {"USDSGD", 1.5500}, {"USDHKD", 7.7800},
    {"SGDJPY", 72.000}, {"HKDJPY", 14.100}, {"ZARJPY", 15.500}, {"NOKJPY", 17.500}, {"SEKJPY", 15.200},
    {"TRYJPY", 76.000}, {"MXNJPY", 10.000}, {"PLNJPY", 35.000}, {"USDRUB", 27.000}, {"USDCNH", 7.1000},
    {"USDINR", 45.000}, {"USDTHB", 33.000}, {"EURSGD", 1.9500}, {"GBPSGD", 2.4500}, {"AUDSGD", 1.2100},
    {"EURHKD", 9.7000}, {"GBPSEK", 11.500}, {"GBPNOK", 10.100}, {"EURRUB", 35.000}, {"USDILS", 4.0000},
};
constexpr int kTickerCount = static_cast<int>(sizeof kTickers / sizeof kTickers[0]);

std::uint64_t Mix(std::uint64_t x) {  // splitmix64 finaliser
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

std::uint64_t HashText(const std::string& s) {
  std::uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ULL;
  return h;
}

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(Mix(seed)) {}
  std::uint64_t Next() { return Mix(state_++); }
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

 private:
  std::uint64_t state_;
};

int DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

double TypicalPrice(const std::string& ticker) {
  for (const auto& t : kTickers)
    if (ticker == t.name) return t.price;
  return 1.0 + static_cast<double>(HashText(ticker) % 1000) / 500.0;
}

// JPY-quoted pairs get 2 or 3 decimals, the rest 4 or 5; the choice is fixed per ticker.
int DecimalsOf(const std::string& ticker, double price) {
  const bool fine = HashText(ticker) % 3 != 0;
  if (ticker.size() >= 3 && ticker.compare(ticker.size() - 3, 3, "JPY") == 0) return fine ? 3 : 2;
  if (price >= 100) return fine ? 3 : 2;
  return fine ? 5 : 4;
}

void AppendFixed(std::string& out, std::int64_t ticks, int decimals) {
  char buf[32];
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  if (ticks < 1) ticks = 1;
  int n = std::snprintf(buf, sizeof buf, "%lld.%0*lld", static_cast<long long>(ticks / scale), decimals,
                        static_cast<long long>(ticks % scale));
  out.append(buf, static_cast<std::size_t>(n));
}

void AppendTwo(std::string& out, int v) {
  out.push_back(static_cast<char>('0' + v / 10));
  out.push_back(static_cast<char>('0' + v % 10));
}

}  // namespace

std::vector<std::string> DefaultTickers(int count) {
  count = std::clamp(count, 0, kTickerCount);
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.emplace_back(kTickers[i].name);
  return out;
}

bool IsTradingDay(int year, int month, int day) {
  const int weekday = (DaysFromCivil(year, month, day) % 7 + 10) % 7;  // 0 = Monday; day 0 was a Thursday
  if (weekday >= 5) return false;
  if (month == 1 && day == 1) return false;
  if (month == 12 && day == 25) return false;
  return true;
}

std::vector<Ymd> TradingDays(int year) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  std::vector<Ymd> out;
  for (int m = 1; m <= 12; ++m) {
    const int days = kDays[m - 1] + (m == 2 && leap ? 1 : 0);
    for (int d = 1; d <= days; ++d)
      if (IsTradingDay(year, m, d)) out.push_back({year, m, d});
  }
  return out;
}

std::string MakeDayFile(const Ymd& date, const DayDataOptions& options) {
  const int dayNumber = DaysFromCivil(date.year, date.month, date.day);
  const int first = std::clamp(options.firstMinute, 0, 1439);
  const int last = std::clamp(options.lastMinute, 0, 1439);
  char dateText[32];
  std::snprintf(dateText, sizeof dateText, "%04d%02d%02d", date.year % 10000, date.month, date.day);

  std::string out;
  out.reserve(options.tickers.size() * static_cast<std::size_t>(std::max(0, last - first + 1)) * 48 + 64);
  if (options.heading) out += "<TICKER>,<DTYYYYMMDD>,<TIME>,<OPEN>,<HIGH>,<LOW>,<CLOSE>\r\n";

  for (const auto& ticker : options.tickers) {
    const std::uint64_t tickerHash = HashText(ticker);
    Random rnd(options.seed * 0x100000001b3ULL ^ tickerHash ^ (static_cast<std::uint64_t>(dayNumber) << 20));
    const double typical = TypicalPrice(ticker);
    const int decimals = DecimalsOf(ticker, typical);
    const double scale = std::pow(10.0, decimals);
    // A slow drift of the day's opening level keeps consecutive days close to each other.
    const double phase = static_cast<double>(tickerHash % 628) / 100.0;
    double price =
        typical * (1.0 + 0.08 * std::sin(dayNumber / 45.0 + phase) + 0.02 * std::sin(dayNumber / 7.0));
    const double step = typical * 0.00025;
    for (int minute = first; minute <= last; ++minute) {
      const double move = (rnd.Uniform() - 0.5) * 2 * step;
      const double open = price;
      price += move;
      if (rnd.Uniform() < options.gapRate) continue;  // no trade in this minute
      const double high = std::max(open, price) + rnd.Uniform() * step * 0.5;
      const double low = std::min(open, price) - rnd.Uniform() * step * 0.5;
      out += ticker;
      out.push_back(',');
      out.append(dateText, 8);
      out.push_back(',');
      AppendTwo(out, minute / 60);
      AppendTwo(out, minute % 60);
      out += "00,";
      AppendFixed(out, std::llround(open * scale), decimals);
      out.push_back(',');
      AppendFixed(out, std::llround(high * scale), decimals);
      out.push_back(',');
      AppendFixed(out, std::llround(low * scale), decimals);
      out.push_back(',');
      AppendFixed(out, std::llround(price * scale), decimals);
      out += "\r\n";
    }
  }
  return out;
}

std::string ArchiveName(const Ymd& date) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d%02d%02d.zip", date.day, date.month, date.year % 100);
  return buf;
}

std::string DayFileNameOf(const Ymd& date) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d%02d%02d.txt", date.year % 100, date.month, date.day);
  return buf;
}

}  // namespace arl::tools
