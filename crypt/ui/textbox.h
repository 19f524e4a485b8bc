// The multi-line text box of the text panel.
#pragma once

#include <QPlainTextEdit>

namespace kuvo {

// Word wrapping lays out one very long unbroken line in time that grows with the
// square of its length (a pasted megabyte froze the window for a minute); such
// text wraps anywhere instead, which is linear.
class TextBox : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

    // setPlainText with the wrapping chosen for the text.
    void setText(const QString& text);

    // The longest run of characters without a blank or line break.
    static qsizetype longestUnbrokenRun(QStringView text);
    static constexpr qsizetype kLongRun = 4000;

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    void chooseWrapping(QStringView incoming);
};

}  // namespace kuvo
