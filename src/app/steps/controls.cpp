#include "app/steps/controls.h"

namespace urlsmith::app {

QString PlainCaption(const QString& caption) {
  QString plain;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 < caption.size() && caption[i + 1] == u'&') {
        plain += u'&';
        ++i;
      }
      continue;
    }
    plain += caption[i];
  }
  return plain;
}

void SetTip(QWidget* widget, const QString& tip) {
  // Rich text wraps; the plain text is kept whole (no mnemonic processing).
  widget->setToolTip(QStringLiteral("<p style='white-space:normal'>") + tip.toHtmlEscaped() +
                     QStringLiteral("</p>"));
  widget->setToolTipDuration(32767);
}

}  // namespace urlsmith::app
