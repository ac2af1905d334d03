#include "app/about_box.h"

#include <openjpeg.h>

#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBrowser>

#include "app/pictures.h"
#include "app/steps/controls.h"
#include "engine/curl_library.h"

namespace urlsmith::app {

namespace {

const QColor kTitleColour(31, 127, 0);
const QColor kLinkColour(0, 15, 127);
const QColor kHoverColour(0, 63, 255);
const QColor kTextBackground(255, 255, 191);
constexpr int kHoverMs = 500;

QCursor HandCursor() {
  Dib colour;
  Dib alpha;
  if (LoadPicture(kHandCursor, false, colour, &alpha) != kPictureLoaded) {
    return QCursor(Qt::PointingHandCursor);
  }
  return QCursor(QPixmap::fromImage(ImageOf(colour, &alpha)), 10, 1);
}

}  // namespace

QString AboutText() {
  // libcurl is loaded here if no address was checked yet.
  const CurlApi* curl = Curl();
  const QString curlVersion =
      curl != nullptr ? QString::fromLatin1(curl->version_info(CURLVERSION_NOW)->version)
                      : QStringLiteral("(not loaded)");
  return QStringLiteral(
             "<p><b>Urlsmith 2.01.1</b><br>Finds and repairs the broken links of a web site on "
             "your disk.<br>Copyright &copy; Brindlecove Software. All rights reserved.</p>"
             "<p>Urlsmith rewrites your pages only when you tell it to, and keeps every old file "
             "as a <i>.bak</i> backup that the Unspool utility restores or deletes.</p>"
             "<p><b>Libraries</b></p>"
             "<p><b>Qt %1</b> &ndash; the Qt Toolkit, &copy; The Qt Company Ltd. and other "
             "contributors, used under the GNU Lesser General Public License version 3. The "
             "library's source code and licence are available from the Qt Project.</p>"
             "<p><b>libcurl %2</b> &ndash; &copy; Daniel Stenberg and many contributors. "
             "Permission to use, copy, modify, and distribute this software for any purpose "
             "with or without fee is hereby granted, provided that the above copyright notice "
             "and this permission notice appear in all copies (the curl licence).</p>"
             "<p><b>OpenJPEG %3</b> &ndash; &copy; the Université catholique de Louvain "
             "(UCL), Belgium, and the OpenJPEG contributors. Redistribution and use in source "
             "and binary forms, with or without modification, are permitted under the "
             "two-clause BSD licence, provided that the copyright notice, the conditions and "
             "the disclaimer are kept. THIS SOFTWARE IS PROVIDED BY THE COPYRIGHT HOLDERS "
             "&quot;AS IS&quot; AND ANY EXPRESS OR IMPLIED WARRANTIES ARE DISCLAIMED.</p>")
      .arg(QString::fromLatin1(qVersion()), curlVersion, QString::fromLatin1(opj_version()));
}

AboutBox::AboutBox(QWidget* owner, Opener open)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      open_(std::move(open)),
      hand_(HandCursor()) {
  setObjectName(QStringLiteral("aboutBox"));
  setWindowTitle(QStringLiteral("About Urlsmith"));
  if (!open_) open_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };

  auto* picture = Control(new QLabel(this), 1005);
  Dib dib;
  if (LoadPicture(kAboutPicture, false, dib) == kPictureLoaded) {
    picture->setPixmap(QPixmap::fromImage(ImageOf(dib)));
  }
  picture->setFixedSize(59, 260);

  auto* product = Control(new QLabel(QStringLiteral("Urlsmith 2.01.1"), this), 1056);
  QFont bold = font();
  bold.setBold(true);
  bold.setPointSizeF(font().pointSizeF() * 1.3);
  product->setFont(bold);
  auto* maker = Control(new QLabel(QStringLiteral("by Brindlecove Software"), this), 1057);
  for (QLabel* title : {product, maker}) {
    QPalette colours = title->palette();
    colours.setColor(QPalette::WindowText, kTitleColour);
    title->setPalette(colours);
  }
  webSite_ = Control(new QLabel(QStringLiteral("www.brindlecove.example/urlsmith"), this), 1013, {},
                     QStringLiteral("Web-site"));
  support_ = Control(new QLabel(QStringLiteral("urlsmith-support@brindlecove.example"), this), 1015,
                     {}, QStringLiteral("Support"));
  text_ = Control(new QTextBrowser(this), 1001);
  text_->setOpenLinks(false);
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette yellow = text_->palette();
  yellow.setColor(QPalette::Base, kTextBackground);
  yellow.setColor(QPalette::Text, Qt::black);
  text_->setPalette(yellow);
  text_->setHtml(AboutText());
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ctl1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(picture, 0, 0, 6, 1, Qt::AlignTop);
  grid->addWidget(product, 0, 1, 1, 2);
  grid->addWidget(maker, 1, 1, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Web-site:"), this), 2, 1);
  grid->addWidget(webSite_, 2, 2);
  grid->addWidget(new QLabel(QStringLiteral("Support:"), this), 3, 1);
  grid->addWidget(support_, 3, 2);
  grid->addWidget(text_, 4, 1, 1, 2);
  grid->addWidget(ok, 5, 2, Qt::AlignRight);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(4, 1);
  resize(460, 300);

  Style(webSite_, false);
  Style(support_, false);
  // The labels let the mouse through to the box, which drags and opens the links.
  for (QWidget* child : findChildren<QLabel*>()) {
    child->setMouseTracking(true);
    child->installEventFilter(this);
  }
  setMouseTracking(true);
  hoverTimer_.setInterval(kHoverMs);
  connect(&hoverTimer_, &QTimer::timeout, this, [this] { UpdateHover(QCursor::pos()); });
  hoverTimer_.start();
  UpdateHover(QCursor::pos());
}

void AboutBox::Style(QLabel* link, bool hovered) {
  QFont f = font();
  f.setUnderline(hovered);
  link->setFont(f);
  QPalette colours = link->palette();
  colours.setColor(QPalette::WindowText, hovered ? kHoverColour : kLinkColour);
  link->setPalette(colours);
}

AboutBox::Link AboutBox::LinkAt(QPoint globalPos) const {
  auto inside = [&](const QLabel* label) {
    return label->isVisible() &&
           QRect(label->mapToGlobal(QPoint(0, 0)), label->size()).contains(globalPos);
  };
  if (inside(webSite_)) return Link::WebSite;
  if (inside(support_)) return Link::Support;
  return Link::None;
}

void AboutBox::UpdateHover(QPoint globalPos) {
  const Link now = LinkAt(globalPos);
  if (now == hovered_) return;
  hovered_ = now;
  Style(webSite_, now == Link::WebSite);
  Style(support_, now == Link::Support);
  if (now == Link::None) {
    unsetCursor();
  } else {
    setCursor(hand_);
  }
  for (QLabel* link : {webSite_, support_})
    link->setCursor(cursor());
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
  dragging_ = true;
  dragFrom_ = event->globalPosition().toPoint();
  grabMouse();
}

void AboutBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->globalPosition().toPoint();
  if (dragging_) {
    move(pos() + (at - dragFrom_));
    dragFrom_ = at;
  }
  UpdateHover(at);
}

void AboutBox::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) return;
  dragging_ = false;
  releaseMouse();
  switch (LinkAt(event->globalPosition().toPoint())) {
    case Link::WebSite:
      open_(kWebSiteUrl);
      break;
    case Link::Support:
      open_(kSupportUrl);
      break;
    case Link::None:
      break;
  }
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove && !dragging_) {
    UpdateHover(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace urlsmith::app
