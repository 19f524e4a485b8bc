#include "textbox.h"

#include <QMimeData>

namespace kuvo {

qsizetype TextBox::longestUnbrokenRun(QStringView text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (QChar c : text) {
        if (c.isSpace()) {
            run = 0;
        } else if (++run > longest) {
            longest = run;
        }
    }
    return longest;
}

void TextBox::chooseWrapping(QStringView incoming)
{
    const bool anywhere = longestUnbrokenRun(incoming) > kLongRun;
    if (anywhere && wordWrapMode() != QTextOption::WrapAnywhere)
        setWordWrapMode(QTextOption::WrapAnywhere);
}

void TextBox::setText(const QString& text)
{
    // A new text gets word wrapping again unless it needs the fast kind. The mode
    // changes only while the box holds text that suits it: switching lays out anew.
    if (longestUnbrokenRun(text) > kLongRun) {
        setWordWrapMode(QTextOption::WrapAnywhere);
        setPlainText(text);
    } else {
        setPlainText(text);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
}

void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        chooseWrapping(source->text());
    QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace kuvo
