// Replaces the "#N" placeholders of a window's captions by catalogue texts.
#pragma once

class QWidget;
class QString;

namespace kuvo {

struct LocalizeOptions {
    bool toolTips = false;  // the launcher's windows also carry "#N" tool tips
};

// Window title "#N" -> text N; then the title's first "&" is removed. For text
// boxes, labels, buttons, check boxes, option buttons and group boxes a caption
// that begins with "#" is replaced; other controls are left alone. A "#" caption
// whose number is not a number or has no text stays as written.
void LocalizeForm(QWidget* window, LocalizeOptions options = {});

// "#N" -> text N + LangOffset; anything else unchanged.
QString localizedCaption(const QString& caption);

}  // namespace kuvo
