// The window's controls and their layout: status bar, the options column on the left (options
// panel above the log pane, the scratch pane behind a splitter) and the page panel filling the rest.
#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include "app/radio_group.h"
#include "app/tform1.h"
#include "arl/version.h"

namespace arl {

namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A list pane: read-only, yet it scrolls, selects (by mouse and keys) and copies; Tab leaves it.
QPlainTextEdit* MakeMemo(QWidget* parent, const char* name) {
  auto* memo = Named(new QPlainTextEdit(parent), name);
  memo->setReadOnly(true);
  memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  memo->setTabChangesFocus(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return memo;
}

// A framed box without a title around one edit and its labels.
QFrame* MakeBox(QWidget* parent) {
  auto* box = new QFrame(parent);
  box->setFrameShape(QFrame::StyledPanel);
  box->setFrameShadow(QFrame::Sunken);
  return box;
}

}  // namespace

void TForm1::BuildControls() {
  setWindowTitle(QString::fromUtf8(kProductCaption));

  // The window's Japanese Gothic, with the Gothic fonts of a Linux desktop behind it so that
  // Japanese never shows as boxes.
  const QString gothic = QStringLiteral("ＭＳ Ｐゴシック");
  const QStringList fallbacks = {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")};
  QFont::insertSubstitutions(gothic, fallbacks);
  QFont font;
  font.setFamilies(QStringList{gothic} + fallbacks);
  font.setPixelSize(Px(12));
  setFont(font);

  StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
  setStatusBar(StatusBar1);

  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  setCentralWidget(central);

  Panel3 = Named(new QFrame(central), "Panel3");
  Panel3->setFixedWidth(Px(329));
  auto* column = new QVBoxLayout(Panel3);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  Panel2 = Named(new QFrame(Panel3), "Panel2");
  Panel2->setFixedHeight(Px(540));
  column->addWidget(Panel2);

  Splitter1 = Named(new QSplitter(Qt::Horizontal, Panel3), "Splitter1");
  Memo1Edit = MakeMemo(Splitter1, "Memo1");
  Memo2Edit = MakeMemo(Splitter1, "Memo2");
  Memo2Edit->setMinimumWidth(0);
  Splitter1->setCollapsible(0, false);
  Splitter1->setSizes({Px(329), 0});  // the scratch pane starts closed; drag to look at it
  column->addWidget(Splitter1, 1);

  Panel1 = Named(new QFrame(central), "Panel1");
  auto* pageColumn = new QVBoxLayout(Panel1);
  pageColumn->setContentsMargins(0, 0, 0, 0);
  WebBrowser1 = Named(new QTextBrowser(Panel1), "WebBrowser1");
  WebBrowser1->setOpenLinks(false);
  pageColumn->addWidget(WebBrowser1);

  row->addWidget(Panel3);
  row->addWidget(Panel1, 1);

  // The options, top to bottom.
  auto* options = new QVBoxLayout(Panel2);
  options->setContentsMargins(Px(2), Px(2), Px(2), Px(2));
  options->setSpacing(Px(3));

  RadioGroup1 = Named(new RadioGroup(QStringLiteral("Ticker(先頭の通貨名)を消すかどうか"),
                                     {QStringLiteral("消さない ※例 EURUSD, 2005/01/03, 00:01, 1.3559 ..."),
                                      QStringLiteral("消す\u3000\u3000  ※例 2005/01/03, 00:01, 1.3559 ... ")},
                                     Panel2),
                      "RadioGroup1");
  RadioGroup2 =
      Named(new RadioGroup(QStringLiteral("Date(年月日)の区切り文字をどうするか"),
                           {QStringLiteral("2001/01/01"), QStringLiteral("2001-01-01 ※MySQL用")}, Panel2),
            "RadioGroup2");
  RadioGroup3 = Named(new RadioGroup(QStringLiteral("変換後の1minファイルの保存場所"),
                                     {QStringLiteral("/HistoricalData/EURUSD/"),
                                      QStringLiteral("/HistoricalData/EURUSD/1min/")},
                                     Panel2),
                      "RadioGroup3");
  options->addWidget(RadioGroup1);
  options->addWidget(RadioGroup2);
  options->addWidget(RadioGroup3);

  QFrame* headBox = MakeBox(Panel2);
  auto* headGrid = new QGridLayout(headBox);
  headGrid->setContentsMargins(Px(6), Px(3), Px(6), Px(3));
  headGrid->setVerticalSpacing(Px(2));
  Label7 = Named(new QLabel(QStringLiteral("ファイル名の前に付けたい文字などあれば指定"), headBox), "Label7");
  EditFileHeadName = Named(new QLineEdit(headBox), "EditFileHeadName");
  Label8 = Named(new QLabel(headBox), "Label8");
  headGrid->addWidget(Label7, 0, 0, 1, 2);
  headGrid->addWidget(EditFileHeadName, 1, 0);
  headGrid->addWidget(Label8, 1, 1);
  headGrid->setColumnStretch(0, 1);
  options->addWidget(headBox);

  QFrame* urlBox = MakeBox(Panel2);
  auto* urlColumn = new QVBoxLayout(urlBox);
  urlColumn->setContentsMargins(Px(6), Px(3), Px(6), Px(3));
  urlColumn->setSpacing(Px(2));
  Label1 = Named(new QLabel(QStringLiteral("Rateloom 分足 Top Page URL"), urlBox), "Label1");
  EditURL = Named(new QLineEdit(urlBox), "EditURL");
  urlColumn->addWidget(Label1);
  urlColumn->addWidget(EditURL);
  options->addWidget(urlBox);

  // One labelled edit in a row of its own box.
  auto addRowBox = [&](QLabel*& label, const char* labelName, const QString& caption, QLineEdit*& edit,
                       const char* editName, int editWidth) {
    QFrame* box = MakeBox(Panel2);
    auto* line = new QHBoxLayout(box);
    line->setContentsMargins(Px(6), Px(3), Px(6), Px(3));
    label = Named(new QLabel(caption, box), labelName);
    edit = Named(new QLineEdit(box), editName);
    edit->setFixedWidth(Px(editWidth));
    line->addWidget(label);
    line->addWidget(edit);
    line->addStretch(1);
    options->addWidget(box);
  };
  addRowBox(Label3, "Label3", QStringLiteral("DL失敗時のリトライ回数 ："), EditRetryLimit, "EditRetryLimit",
            48);
  addRowBox(Label4, "Label4", QStringLiteral("時刻の書式 ※hh:nn:ssで指定 ："), EditLongTimeFormat,
            "EditLongTimeFormat", 90);
  addRowBox(Label5, "Label5", QStringLiteral("GMT +1:00 から ずらす量 ："), EditGmtGap, "EditGmtGap", 48);

  // The higher timeframes, one check box each, shortest first (the settings key Timeframes).
  TimeframeBox = Named(MakeBox(Panel2), "TimeframeBox");
  auto* frameGrid = new QGridLayout(TimeframeBox);
  frameGrid->setContentsMargins(Px(6), Px(3), Px(6), Px(3));
  frameGrid->setVerticalSpacing(Px(2));
  frameGrid->addWidget(new QLabel(QStringLiteral("上位足も作る"), TimeframeBox), 0, 0, 1, 3);
  static constexpr const char* kCaptions[kTimeframeCount] = {"5分", "15分", "30分", "1時間", "4時間", "日足"};
  for (const TimeframeInfo& frame : kTimeframes) {
    const std::size_t i = IndexOf(frame.frame);
    const std::string name = "Timeframe" + std::string(frame.name);
    TimeframeChecks[i] = Named(new QCheckBox(QString::fromUtf8(kCaptions[i]), TimeframeBox), name.c_str());
    frameGrid->addWidget(TimeframeChecks[i], 1 + static_cast<int>(i / 3), static_cast<int>(i % 3));
  }
  options->addWidget(TimeframeBox);
  options->addStretch(1);

  // The buttons sit at the bottom left without a layout: during a run the cancel button is moved
  // to the run button's place.
  auto* buttonBar = new QWidget(Panel2);
  buttonBar->setFixedHeight(Px(26));
  Button1 = Named(new QPushButton(QStringLiteral("実行"), buttonBar), "Button1");
  Button1->setGeometry(0, 0, Px(64), Px(25));
  CancelButton = Named(new QPushButton(QStringLiteral("中止"), buttonBar), "CancelButton");
  CancelButton->setGeometry(Px(4), 0, Px(64), Px(25));
  // Return and Enter press the focused button, as Space does.
  Button1->setAutoDefault(true);
  CancelButton->setAutoDefault(true);
  CheckBox1 =
      Named(new QCheckBox(QStringLiteral("2001年～現在までのマージファイルを作る"), buttonBar), "CheckBox1");
  CheckBox1->setGeometry(Px(72), Px(3), Px(246), Px(20));
  // 「データ状況」 on a second row, under 実行.
  buttonBar->setFixedHeight(Px(54));
  DataButton = Named(new QPushButton(QStringLiteral("データ状況"), buttonBar), "DataButton");
  DataButton->setGeometry(0, Px(28), Px(84), Px(25));
  DataButton->setAutoDefault(true);
  options->addWidget(buttonBar);

  Timer1 = Named(new QTimer(this), "Timer1");
  Timer1->setInterval(config_.timerIntervalMs);

  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(CancelButton, &QPushButton::clicked, this, &TForm1::CancelButtonClick);
  connect(DataButton, &QPushButton::clicked, this, &TForm1::DataButtonClick);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

  memo1Pane_ = std::make_unique<MemoPane>(Memo1Edit);
  memo2Pane_ = std::make_unique<MemoPane>(Memo2Edit);
}

}  // namespace arl
