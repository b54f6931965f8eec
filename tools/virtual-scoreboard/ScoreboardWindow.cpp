#include "tools/virtual-scoreboard/ScoreboardWindow.h"

#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QLocale>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "tools/virtual-scoreboard/FrameLog.h"
#include "tools/virtual-scoreboard/LedFont.h"

namespace scoreboard {
namespace {

constexpr int kPitch = 6;        // distance between dot centres, pixels
constexpr int kDot = 5;          // dot diameter
constexpr int kCharGap = 2;      // blank dot columns between characters
constexpr int kMargin = 8;
constexpr int kColumns = 8 * 5 + 7 * kCharGap;

const char* LuminosityName(int luminosity) {
  switch (luminosity) {
    case 1: return "Low";
    case 2: return "Medium";
    case 3: return "High";
  }
  return "dark";
}

QString Grouped(std::uint64_t n) { return QLocale(QLocale::English).toString(static_cast<qulonglong>(n)); }

}  // namespace

LedPanel::LedPanel(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize LedPanel::sizeHint() const { return {kColumns * kPitch + 2 * kMargin, 7 * kPitch + 2 * kMargin}; }

void LedPanel::Show(const std::string& text, int luminosity) {
  if (text == mText && luminosity == mLuminosity) return;
  mText = text;
  mLuminosity = luminosity;
  update();
}

void LedPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(rect(), QColor(12, 8, 8));
  p.setPen(QPen(QColor(60, 60, 60), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
  p.setPen(Qt::NoPen);

  // Three brightness levels; the brightest also glows.
  static const QColor kLit[4] = {QColor(0, 0, 0), QColor(150, 22, 14), QColor(210, 32, 20), QColor(255, 50, 32)};
  const QColor off(36, 11, 10);
  const double inset = (kPitch - kDot) / 2.0;
  for (int ch = 0; ch < 8; ++ch) {
    const unsigned char c = ch < static_cast<int>(mText.size()) ? static_cast<unsigned char>(mText[ch]) : ' ';
    const Glyph g = GlyphFor(c);
    for (int col = 0; col < 5; ++col) {
      const int x = kMargin + (ch * (5 + kCharGap) + col) * kPitch;
      for (int row = 0; row < 7; ++row) {
        const int y = kMargin + row * kPitch;
        const bool lit = mLuminosity > 0 && (g[col] >> row & 1);
        const QRectF dot(x + inset, y + inset, kDot, kDot);
        if (lit && mLuminosity == 3) {
          p.setBrush(QColor(255, 60, 40, 70));
          p.drawEllipse(dot.adjusted(-1.5, -1.5, 1.5, 1.5));
        }
        p.setBrush(lit ? kLit[mLuminosity] : off);
        p.drawEllipse(dot);
      }
    }
  }
}

ScoreboardWindow::ScoreboardWindow(Session& session, int port, const std::string& link, const std::string& device)
    : mSession(session) {
  setWindowTitle(QString("Virtual scoreboard - Com%1").arg(port));
  auto* top = new QVBoxLayout(this);

  auto* header = new QLabel(QString("<b>Com%1</b> &rarr; %2 &nbsp; (9600 baud, 8-N-1)<br><small>%3</small>")
                                .arg(port)
                                .arg(QString::fromStdString(device).toHtmlEscaped())
                                .arg(QString::fromStdString(link).toHtmlEscaped()));
  header->setTextInteractionFlags(Qt::TextSelectableByMouse);
  top->addWidget(header);

  auto* board = new QWidget;
  auto* grid = new QGridLayout(board);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(6);
  QFont lineFont = font();
  lineFont.setPointSize(lineFont.pointSize() + 4);
  lineFont.setBold(true);
  const auto& displays = session.Bus().Displays();
  for (std::size_t i = 0; i < displays.size(); ++i) {
    Row r{new QLabel, new LedPanel, new QLabel};
    r.line->setFont(lineFont);
    r.line->setMinimumWidth(r.line->fontMetrics().horizontalAdvance("Line 8") + 4);
    r.info->setMinimumWidth(r.info->fontMetrics().horizontalAdvance("#32  Medium  9,999,999 frames"));
    grid->addWidget(r.line, static_cast<int>(i), 0);
    grid->addWidget(r.panel, static_cast<int>(i), 1);
    grid->addWidget(r.info, static_cast<int>(i), 2);
    mRows.push_back(r);
  }
  grid->setColumnStretch(3, 1);

  if (displays.size() > 10) {
    auto* scroll = new QScrollArea;
    scroll->setWidget(board);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(board->sizeHint().width() + scroll->verticalScrollBar()->sizeHint().width() +
                            2 * scroll->frameWidth());
    scroll->setMinimumHeight(board->sizeHint().height() * 10 / static_cast<int>(displays.size()));
    top->addWidget(scroll, 1);
  } else {
    top->addWidget(board, 1);
  }

  auto* rule = new QFrame;
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  top->addWidget(rule);
  mTotals = new QLabel;
  mUtilisation = new QLabel;
  mLast = new QLabel;
  QFont mono("DejaVu Sans Mono");
  mono.setStyleHint(QFont::Monospace);
  mLast->setFont(mono);
  mLast->setTextInteractionFlags(Qt::TextSelectableByMouse);
  for (QLabel* l : {mTotals, mUtilisation, mLast}) top->addWidget(l);
  Refresh();
}

void ScoreboardWindow::Refresh() {
  const DisplayBus& bus = mSession.Bus();
  const auto& displays = bus.Displays();
  for (std::size_t i = 0; i < displays.size() && i < mRows.size(); ++i) {
    const Display& d = displays[i];
    mRows[i].line->setText(QString("Line %1").arg(d.line));
    mRows[i].panel->Show(d.text, d.luminosity);
    mRows[i].info->setText(QString("#%1  %2  %3 %4")
                               .arg(i + 1)
                               .arg(LuminosityName(d.luminosity))
                               .arg(Grouped(d.frames))
                               .arg(d.frames == 1 ? "frame" : "frames"));
  }
  mTotals->setText(QString("Frames %1    Bytes %2    Malformed %3    Waiting %4")
                       .arg(Grouped(bus.FrameCount()))
                       .arg(Grouped(bus.ByteCount()))
                       .arg(Grouped(bus.MalformedCount()))
                       .arg(bus.PendingBytes()));
  LineMeter& meter = mSession.Meter();
  const double now = mSession.Now();
  mUtilisation->setText(QString("Line use %1 % (last second)    peak %2 %    average %3 %   of 9600 baud")
                            .arg(meter.Percent(now), 0, 'f', 1)
                            .arg(meter.PeakPercent(), 0, 'f', 1)
                            .arg(meter.AveragePercent(now), 0, 'f', 1));
  const std::string& last = mSession.LastBytes();
  mLast->setText(last.empty() ? QString("Last: -") : QString("Last: ") + QString::fromStdString(HexBytes(last)));
}

}  // namespace scoreboard
