#include "widgets/masked_edit.h"

#include <QProxyStyle>

namespace lumora {

namespace {

class StarStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* ret) const override {
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
    if (hint == QStyle::SH_LineEdit_PasswordMaskDelay) return 0;
    return QProxyStyle::styleHint(hint, option, widget, ret);
  }
};

}  // namespace

MaskedEdit::MaskedEdit(QWidget* parent) : QLineEdit(parent) {
  auto* style = new StarStyle;  // owned by the edit through its parent
  style->setParent(this);
  setStyle(style);
  setEchoMode(QLineEdit::Password);
}

}  // namespace lumora
