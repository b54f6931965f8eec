#pragma once
// The window: one red LED panel per display with its line number and counters, and the line's
// totals and utilisation below. It only shows the session's state.
#include <QLabel>
#include <QWidget>
#include <string>
#include <vector>

#include "tools/virtual-scoreboard/Session.h"

namespace scoreboard {

// Eight 5x7 dot-matrix characters, lit at one of three brightness levels.
class LedPanel : public QWidget {
 public:
  explicit LedPanel(QWidget* parent = nullptr);
  void Show(const std::string& text, int luminosity);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string mText = std::string(8, ' ');
  int mLuminosity = 0;
};

class ScoreboardWindow : public QWidget {
 public:
  ScoreboardWindow(Session& session, int port, const std::string& link, const std::string& device);
  // Brings every panel and counter up to date with the session.
  void Refresh();

 private:
  struct Row {
    QLabel* line;
    LedPanel* panel;
    QLabel* info;
  };
  Session& mSession;
  std::vector<Row> mRows;
  QLabel* mTotals;
  QLabel* mUtilisation;
  QLabel* mLast;
};

}  // namespace scoreboard
