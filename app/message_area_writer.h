// Brings the message area up to date with the message text: lines added since the last showing
// are appended, and only a cleared or captured text, or an area the user has typed into, is
// shown afresh. A search of thousands of devices thus costs each reply one line, not the text.
#pragma once

#include <QObject>

#include <cstddef>
#include <cstdint>

namespace ktr {

class MessageText;
class MultiLineEdit;

class MessageAreaWriter : public QObject
{
    Q_OBJECT

public:
    // Owned by the area.
    explicit MessageAreaWriter(MultiLineEdit &area);

    // The area then shows the text (CR LF as line ends), from its first line.
    void show(const MessageText &text);

private:
    void rebuild(const MessageText &text);
    void append(const MessageText &text);

    MultiLineEdit &area_;
    // What the area shows: the first shownBytes_ bytes of the text of this generation, unless
    // the user has changed it since.
    std::uint64_t shownGeneration_ = 0;
    std::size_t shownBytes_ = 0;
    bool shownOnce_ = false;
    bool areaChanged_ = false;
    bool writing_ = false;
};

} // namespace ktr
