// The About box: the product and its maker, two links (the web site and the support address)
// that light up under the cursor and open with the desktop's handler when the button is
// released over them, the notices of the libraries, and a box that any mouse button drags.
#pragma once

#include <QCursor>
#include <QDialog>
#include <QPoint>
#include <QTimer>
#include <QUrl>
#include <functional>

class QLabel;
class QTextBrowser;

namespace urlsmith::app {

inline const QUrl kWebSiteUrl(QStringLiteral("https://www.brindlecove.example/urlsmith/"));
inline const QUrl kSupportUrl(QStringLiteral("mailto:urlsmith-support@brindlecove.example"));

// The rich About text: product, version and the licences of the libraries used.
QString AboutText();

class AboutBox : public QDialog {
  Q_OBJECT
 public:
  enum class Link { None, WebSite, Support };
  using Opener = std::function<void(const QUrl&)>;

  // `open` opens a link; by default the desktop's handler (QDesktopServices).
  explicit AboutBox(QWidget* owner, Opener open = {});

  Link hovered() const { return hovered_; }
  bool dragging() const { return dragging_; }
  // Re-evaluates which link is under the cursor at `globalPos` (the timer does it every
  // 500 ms from the cursor's position).
  void UpdateHover(QPoint globalPos);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Style(QLabel* link, bool hovered);
  Link LinkAt(QPoint globalPos) const;

  Opener open_;
  QLabel* webSite_ = nullptr;
  QLabel* support_ = nullptr;
  QTextBrowser* text_ = nullptr;
  QCursor hand_;
  QTimer hoverTimer_;
  Link hovered_ = Link::None;
  bool dragging_ = false;
  QPoint dragFrom_;
};

}  // namespace urlsmith::app
