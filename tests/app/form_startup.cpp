// The window from creation to the start-up decision: controls and defaults of a first start, the
// settings file, the default placement and positions pulled back onto a screen, the one-shot timer,
// the read-me address, the headless fallback of "auto" without a display, and the message instead
// of an abort when no display answers.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QtTest/QtTest>

#include "app/radio_group.h"
#include "app/startup_mode.h"
#include "app/window_placement.h"
#include "support/datetime.h"
#include "support/files.h"
#include "support/profile.h"
#include "tests/app/form_harness.h"

using namespace arl;
using namespace arl::test;

class FormStartupTest : public QObject {
  Q_OBJECT

 private:
  static QString Items(RadioGroup* g) {
    QStringList texts;
    for (int i = 0; i < g->Count(); ++i) texts << g->Item(i)->text();
    return texts.join(QLatin1Char('|'));
  }

 private slots:
  void firstStartShowsEveryControlWithItsDefault() {
    FormHarness h;
    TForm1& f = h.Make();
    QCOMPARE(f.windowTitle(), QStringLiteral("Auto Rateloom - Ver 0.02 -"));
    QCOMPARE(h.Get<RadioGroup>("RadioGroup1")->title(), QStringLiteral("Ticker(先頭の通貨名)を消すかどうか"));
    QCOMPARE(Items(h.Get<RadioGroup>("RadioGroup1")),
             QStringLiteral("消さない ※例 EURUSD, 2005/01/03, 00:01, 1.3559 ...|"
                            "消す\u3000\u3000  ※例 2005/01/03, 00:01, 1.3559 ... "));
    QCOMPARE(h.Get<RadioGroup>("RadioGroup2")->title(),
             QStringLiteral("Date(年月日)の区切り文字をどうするか"));
    QCOMPARE(Items(h.Get<RadioGroup>("RadioGroup2")), QStringLiteral("2001/01/01|2001-01-01 ※MySQL用"));
    QCOMPARE(h.Get<RadioGroup>("RadioGroup3")->title(), QStringLiteral("変換後の1minファイルの保存場所"));
    QCOMPARE(Items(h.Get<RadioGroup>("RadioGroup3")),
             QStringLiteral("/HistoricalData/EURUSD/|/HistoricalData/EURUSD/1min/"));
    QCOMPARE(h.Get<QLabel>("Label7")->text(), QStringLiteral("ファイル名の前に付けたい文字などあれば指定"));
    QCOMPARE(h.Get<QLabel>("Label8")->text(), QStringLiteral("+ %1.txt").arg(CurrentYear(Now())));
    QCOMPARE(h.Get<QLabel>("Label1")->text(), QStringLiteral("Rateloom 分足 Top Page URL"));
    QCOMPARE(h.Get<QLabel>("Label3")->text(), QStringLiteral("DL失敗時のリトライ回数 ："));
    QCOMPARE(h.Get<QLabel>("Label4")->text(), QStringLiteral("時刻の書式 ※hh:nn:ssで指定 ："));
    QCOMPARE(h.Get<QLabel>("Label5")->text(), QStringLiteral("GMT +1:00 から ずらす量 ："));
    QCOMPARE(h.Get<QPushButton>("Button1")->text(), QStringLiteral("実行"));
    QCOMPARE(h.Get<QPushButton>("CancelButton")->text(), QStringLiteral("中止"));
    QCOMPARE(h.Get<QCheckBox>("CheckBox1")->text(), QStringLiteral("2001年～現在までのマージファイルを作る"));
    for (const char* name :
         {"StatusBar1", "Panel1", "Panel2", "Panel3", "Memo1", "Splitter1", "Memo2", "WebBrowser1", "EditURL",
          "EditRetryLimit", "EditLongTimeFormat", "EditGmtGap", "EditFileHeadName"})
      h.Get(name);

    // The options of a first start.
    const OptionValues o = f.Options();
    QCOMPARE(o.EditURL, std::string(kDefaultIndexUrl));
    QCOMPARE(o.EditRetryLimit, std::string("5"));
    QCOMPARE(o.EditLongTimeFormat, std::string("hh:nn:ss"));
    QCOMPARE(o.EditGmtGap, std::string("-6"));
    QCOMPARE(o.EditFileHeadName, std::string("1min_"));
    QCOMPARE(o.RadioGroup1, 1);
    QCOMPARE(o.RadioGroup2, 0);
    QCOMPARE(o.RadioGroup3, 1);
    QCOMPARE(o.CheckBox1, false);

    // The start-up state: a blank page, empty panes, the run button off until the timer fires.
    QVERIFY(!h.Get<QPushButton>("Button1")->isEnabled());
    QVERIFY(h.Get<QPushButton>("CancelButton")->isHidden());
    QVERIFY(h.Get<QPushButton>("CancelButton")->isEnabled());
    QVERIFY(!h.Get<QStatusBar>("StatusBar1")->currentMessage().isEmpty());
    QVERIFY(h.Get<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
    QCOMPARE(h.browser.navigations, std::vector<std::string>{"about:blank"});
    QVERIFY(DirectoryExists(h.home / "OriginalArchive"));
    QVERIFY(DirectoryExists(h.home / "HistoricalData"));
    QVERIFY(FileExists(h.home / "autorateloom.log"));
    QCOMPARE(FileSizeByName(h.home / "autorateloom.log"), std::int64_t{0});
    QVERIFY(!FileExists(h.home / "autorateloom.ini"));
  }

  void firstStartIsCentredInTheWorkArea_data() {
    QTest::addColumn<int>("extraRight");   // work-area right minus the created width
    QTest::addColumn<int>("extraBottom");  // work-area bottom minus the created height
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::newRow("1920x1040") << 992 << 346 << 496 << 173;
    QTest::newRow("odd 355 rounds to even") << 355 << 355 << 178 << 178;
    QTest::newRow("odd 357 rounds to even") << 357 << 357 << 178 << 178;
  }
  void firstStartIsCentredInTheWorkArea() {
    QFETCH(int, extraRight);
    QFETCH(int, extraBottom);
    QFETCH(int, left);
    QFETCH(int, top);
    FormHarness probe;
    const QSize created = probe.Make().size();  // the size as created, scaled with the screen
    FormHarness h;
    FormConfig c = h.Config();
    // The area's left and top edges do not count, only its right and bottom edges.
    c.workArea = QRect(40, 30, created.width() + extraRight - 40, created.height() + extraBottom - 30);
    TForm1& f = h.Make(c);
    QCOMPARE(f.pos(), QPoint(left, top));
    QCOMPARE(f.size(), created);
  }

  void positionsOutOfReachArePulledBack() {
    // A 1920x1040 work area (the primary) with a 1280x1000 one to its right; a title bar 30 high.
    const QList<QRect> two = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1000)};
    auto placed = [&](int x, int y) { return PlacedOnScreen(QRect(x, y, 900, 700), two, 0, 30); };
    QCOMPARE(placed(100, 1010), QPoint(100, 1010));  // the title bar row in reach
    QCOMPARE(placed(100, 1030), QPoint(100, 1010));
    QCOMPARE(placed(100, -500), QPoint(100, 0));
    QCOMPARE(placed(5000, 100), QPoint(1020, 100));  // on no screen: onto the primary
    QCOMPARE(placed(2500, 50), QPoint(2300, 50));    // mostly on the second
    // A 1920x1080 screen at scale 2 has 960x510: a window taller, or larger, than that.
    QCOMPARE(PlacedOnScreen(QRect(16, -92, 928, 726), {QRect(0, 0, 960, 510)}, 0, 30), QPoint(16, 0));
    QCOMPARE(PlacedOnScreen(QRect(-40, 300, 1000, 600), {QRect(0, 0, 960, 510)}, 0, 30), QPoint(0, 0));
    FormHarness h;  // stored off the work area of 1920x1040
    WriteFile(h.home / "autorateloom.ini", "[Form]\r\nTop=-500\r\nLeft=5000\r\nWidth=1000\r\n");
    QCOMPARE(h.Make().pos(), QPoint(920, 0));
  }

  void storedSettingsAreApplied() {
    FormHarness h;
    WriteFile(
        h.home / "autorateloom.ini",
        "[Form]\r\nTop=12\r\nLeft=34\r\nWidth=1000\r\nHeight=720\r\nEditURL= \"http://a.test/x.html\" \r\n"
        "EditLongTimeFormat=hh:nn\r\nEditFileHeadName=m1_\r\nEditGmtGap=+2\r\nEditRetryLimit=0x10\r\n"
        "RadioGroup1=abc\r\nRadioGroup2=-5\r\nRadioGroup3=7\r\nCheckBox1=2\r\nTimeframes= 1DAY,x,5min\r\n");
    WriteFile(h.home / "autorateloom.log", "earlier\r\n");
    TForm1& f = h.Make();
    QCOMPARE(f.pos(), QPoint(34, 12));
    QCOMPARE(f.size(), QSize(1000, 720));
    const OptionValues o = f.Options();
    QCOMPARE(o.EditURL, std::string("http://a.test/x.html"));
    QCOMPARE(o.EditLongTimeFormat, std::string("hh:nn"));
    QCOMPARE(o.EditFileHeadName, std::string("m1_"));
    QCOMPARE(o.EditGmtGap, std::string("+2"));
    QCOMPARE(o.EditRetryLimit, std::string("0x10"));  // edits keep their text as stored
    QCOMPARE(o.RadioGroup1, 1);                       // abc: the default
    QCOMPARE(o.RadioGroup2, -1);                      // -5: no item selected
    QCOMPARE(o.RadioGroup3, 1);                       // 7: the last item
    QVERIFY(o.CheckBox1);                             // 2: ticked
    // The timeframes' boxes, shortest first; a word that names none is kept for the run to report.
    QVERIFY(h.Get<QCheckBox>("Timeframe5min")->isChecked() && h.Get<QCheckBox>("Timeframe1day")->isChecked());
    QVERIFY(!h.Get<QCheckBox>("Timeframe1hour")->isChecked());
    QCOMPARE(o.Timeframes, std::string("5min,1day,x"));
    auto* dateGroup = h.Get<RadioGroup>("RadioGroup2");
    QVERIFY(!dateGroup->Item(0)->isChecked() && !dateGroup->Item(1)->isChecked());
    QCOMPARE(h.Log(), std::string("earlier\r\n"));
  }

  void settingsAreWrittenOnTheWayOut() {
    FormHarness h;
    WriteFile(h.home / "autorateloom.ini", "[Form]\r\nRadioGroup2=-5\r\n");
    TForm1& f = h.Make();
    h.Get<QLineEdit>("EditGmtGap")->setText(QStringLiteral("-7"));
    h.Get<RadioGroup>("RadioGroup1")->SetItemIndex(0);
    h.Get<QCheckBox>("CheckBox1")->setChecked(true);
    f.move(50, 60);
    h.form.reset();
    ProfileFile ini(h.home / "autorateloom.ini");
    QCOMPARE(ini.ReadString("Form", "EditGmtGap", ""), std::string("-7"));
    QCOMPARE(ini.ReadInteger("Form", "RadioGroup1", 9), 0);
    QCOMPARE(ini.ReadInteger("Form", "RadioGroup2", 9), -1);
    QCOMPARE(ini.ReadString("Form", "CheckBox1", ""), std::string("1"));
    QCOMPARE(ini.ReadInteger("Form", "Left", 0), 50);
    QCOMPARE(ini.ReadInteger("Form", "Top", 0), 60);
  }

  void timerEnablesTheRunButtonAndShowsTheReadMe() {
    FormHarness h;
    FormConfig c = h.Config();
    c.currentDir = "/opt/auto rate/two  spaces";
    c.timerIntervalMs = 300;
    TForm1& f = h.Make(c);
    f.show();
    QTest::qWait(100);
    QVERIFY(!h.Get<QPushButton>("Button1")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(h.Get<QPushButton>("Button1")->isEnabled(), 3000);
    QTRY_COMPARE(h.browser.navigations.size(), std::size_t{2});
    QCOMPARE(h.browser.navigations[1], std::string("file:///opt/auto%20rate/two%20%20spaces/readme.html"));
    QVERIFY(f.isVisible());
    QVERIFY(!f.session().autoMode);
  }

  void onlyExactlyAutoStartsARun_data() {
    QTest::addColumn<QString>("argument");
    QTest::newRow("capitals") << QStringLiteral("AUTO");
    QTest::newRow("dash") << QStringLiteral("-auto");
    QTest::newRow("empty") << QString();
  }
  void onlyExactlyAutoStartsARun() {
    QFETCH(QString, argument);
    FormHarness h;
    FormConfig c = h.Config();
    c.args = {argument.toStdString(), "auto"};
    c.timerIntervalMs = 10;
    TForm1& f = h.Make(c);
    f.show();
    QTRY_COMPARE(h.browser.navigations.size(), std::size_t{2});
    QVERIFY(h.browser.navigations[1].ends_with("/readme.html"));
    QVERIFY(h.Log().empty());
    QVERIFY(f.isVisible());
  }

  void autoWithoutDisplayChoosesTheHeadlessRun() {
    auto decide = [](std::vector<std::string> args, std::map<std::string, std::string> env) {
      args.insert(args.begin(), "autorateloom");
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      return ShouldRunHeadless(static_cast<int>(argv.size()), argv.data(), [&](const char* n) -> const char* {
        auto it = env.find(n);
        return it == env.end() ? nullptr : it->second.c_str();
      });
    };
    QVERIFY(decide({"auto"}, {}));
    QVERIFY(decide({"auto"}, {{"DISPLAY", ""}}));
    QVERIFY(!decide({"auto"}, {{"DISPLAY", ":0"}}));
    QVERIFY(!decide({"auto"}, {{"WAYLAND_DISPLAY", "wayland-0"}}));
    QVERIFY(!decide({"auto"}, {{"QT_QPA_PLATFORM", "offscreen"}}));
    QVERIFY(!decide({}, {}));
    QVERIFY(!decide({"Auto"}, {}));

    // The window's --home, in either spelling, leaves the other arguments as they were.
    std::vector<std::string> args = {"auto", "--home", "/tmp/h", "x"};
    QCOMPARE(TakeHomeArgument(args), std::string("/tmp/h"));
    QVERIFY((args == std::vector<std::string>{"auto", "x"}));
    args = {"--home=/srv/fx"};
    QCOMPARE(TakeHomeArgument(args), std::string("/srv/fx"));
    QVERIFY(args.empty());
    QCOMPARE(TakeHomeArgument(args), std::string());
  }

  void autoWithoutDisplayRunsToItsEnd() {
    TempDir home;
    WriteFile(home / "autorateloom.ini", "[Form]\r\nEditURL=http://127.0.0.1:1/\r\n");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
      env.remove(QString::fromLatin1(v));
    p.setProcessEnvironment(env);
    p.start(QString::fromStdString(BinDir() + "autorateloom"),
            {QStringLiteral("auto"), QStringLiteral("--home"), QString::fromStdString(home.path())});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);  // the unreachable index page ends the run with its error
    const std::string log = WithoutSummary(ReadFile(home / "autorateloom.log"));
    QVERIFY2(log.starts_with("インデックスページ http://127.0.0.1:1/ を読み込めませんでした (") &&
                 log.ends_with(")\r\n処理完了\r\n"),
             log.c_str());
  }

  void aWindowWithoutAReachableDisplaySaysSoAndExits1_data() {
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("argument");
    QTest::newRow("no display") << QString() << QString();
    QTest::newRow("a display nobody serves") << QStringLiteral(":987") << QString();
    QTest::newRow("auto with a display nobody serves") << QStringLiteral(":987") << QStringLiteral("auto");
  }
  void aWindowWithoutAReachableDisplaySaysSoAndExits1() {
    QFETCH(QString, display);
    QFETCH(QString, argument);
    TempDir cwd;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
      env.remove(QString::fromLatin1(v));
    if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QString::fromStdString(cwd.path()));
    p.start(QString::fromStdString(BinDir() + "autorateloom"),
            argument.isEmpty() ? QStringList() : QStringList{argument});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);  // not Qt's abort
    QCOMPARE(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(
        err.startsWith(QStringLiteral("autorateloom: 画面 (ディスプレイ) に接続できません (")) &&
            err.endsWith(QStringLiteral("。画面のないサーバーでは autorateloom-cli を使ってください\n")) &&
            err.count(QLatin1Char('\n')) == 1,
        qPrintable(err));
    if (!display.isEmpty()) QVERIFY2(err.contains(display), qPrintable(err));  // Qt's reason names it
  }
};

QTEST_MAIN(FormStartupTest)
#include "form_startup.moc"
