#include "bench/first_paint_probe.h"

#include <QApplication>

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>
#include <string>

namespace ktr {
namespace {

// "VmHWM:   12345 kB" from /proc/self/status, in kB; 0 where there is no such file.
long PeakResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmHWM:" && status >> value)
            return value;
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// The shared objects mapped into the process, each once.
std::set<std::string> LoadedSharedObjects()
{
    std::set<std::string> objects;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        const std::size_t path = line.find('/');
        if (path != std::string::npos && line.find(".so", path) != std::string::npos)
            objects.insert(line.substr(path));
    }
    return objects;
}

void WriteReportAndExit(const char *path)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (std::FILE *report = std::fopen(path, "w")) {
        std::fprintf(report, "first_paint_ns %lld\npeak_rss_kb %ld\n",
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                     PeakResidentKb());
        for (const std::string &object : LoadedSharedObjects())
            std::fprintf(report, "so %s\n", object.c_str());
        std::fclose(report);
    }
    // What comes after the first paint is not measured; the tool holds nothing worth saving.
    std::_Exit(0);
}

class FirstPaintProbe : public QObject
{
public:
    FirstPaintProbe(QApplication &application, const char *reportPath)
        : QObject(&application)
        , reportPath_(reportPath)
    {
        application.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && !painted_ && widget && widget->isWindow()) {
            painted_ = true;
            // Queued: the report is written once this paint pass, children included, is over.
            QMetaObject::invokeMethod(
                this, [path = reportPath_] { WriteReportAndExit(path); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    const char *reportPath_;
    bool painted_ = false;
};

} // namespace

void ExitAfterFirstPaintIfAsked(QApplication &application)
{
    const char *path = std::getenv("KTR_FIRST_PAINT_REPORT");
    if (path != nullptr && *path != '\0')
        new FirstPaintProbe(application, path);
}

} // namespace ktr
