#include "app/message_area_writer.h"

#include "app/multi_line_edit.h"
#include "ops/app_state.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace ktr {
namespace {

// The area holds lines ended by LF; the message text's lines end in CR LF.
QString AreaText(std::string_view text)
{
    QString converted = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return converted;
}

} // namespace

MessageAreaWriter::MessageAreaWriter(MultiLineEdit &area)
    : QObject(&area)
    , area_(area)
{
    // Typing, pasting or deleting in the area makes what it shows differ from the text.
    connect(area_.document(), &QTextDocument::contentsChanged, this, [this] {
        if (!writing_)
            areaChanged_ = true;
    });
}

void MessageAreaWriter::show(const MessageText &text)
{
    const bool extendsShown = shownOnce_ && !areaChanged_ &&
                              text.generation() == shownGeneration_ &&
                              text.text().size() >= shownBytes_;
    writing_ = true;
    if (extendsShown)
        append(text);
    else
        rebuild(text);
    writing_ = false;
    shownOnce_ = true;
    areaChanged_ = false;
    shownGeneration_ = text.generation();
    shownBytes_ = text.text().size();
    area_.moveCursor(QTextCursor::Start);
    area_.verticalScrollBar()->setValue(0);
}

void MessageAreaWriter::rebuild(const MessageText &text)
{
    // Replacing the contents in place costs a fraction of setting a new text (which tears the
    // document down and builds it again), and a read starts the text afresh at every click.
    // Like a fresh text, it leaves nothing to undo (turning undo off empties its stack).
    QTextDocument &document = *area_.document();
    document.setUndoRedoEnabled(false);
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    all.insertText(AreaText(text.text()));
    document.setUndoRedoEnabled(true);
}

void MessageAreaWriter::append(const MessageText &text)
{
    const std::string_view added = std::string_view(text.text()).substr(shownBytes_);
    if (added.empty())
        return;
    QTextDocument &document = *area_.document();
    // Appended lines are not the user's edits: like a fresh text, they leave nothing to undo.
    document.setUndoRedoEnabled(false);
    QTextCursor end(&document);
    end.movePosition(QTextCursor::End);
    end.insertText(AreaText(added));
    document.setUndoRedoEnabled(true);
}

} // namespace ktr
