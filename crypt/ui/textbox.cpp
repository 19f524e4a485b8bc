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
    // A new text starts with word wrapping again unless it needs the fast kind.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    chooseWrapping(text);
    setPlainText(text);
}

void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (source && source->hasText())
        chooseWrapping(source->text());
    QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace kuvo
