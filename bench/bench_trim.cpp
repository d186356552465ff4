// Resident memory of this process before and after the working-set trim,
// after a burst of allocations has been freed.
#include "platform/platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    // Many small blocks, most freed but a few kept here and there: the heap
    // cannot shrink from its top and keeps the free pages unless told otherwise.
    std::vector<std::unique_ptr<char[]>> kept;
    {
        std::vector<std::unique_ptr<char[]>> blocks;
        for (int i = 0; i < 200000; ++i) {
            blocks.emplace_back(new char[512]);
            std::fill_n(blocks.back().get(), 512, char(i));
        }
        for (size_t i = 0; i < blocks.size(); i += 64)
            kept.push_back(std::move(blocks[i]));
    }
    const qint64 before = residentKiB();
    Platform::trimWorkingSet(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    const qint64 after = residentKiB();
    out << "resident before trim: " << before << " KiB, after: " << after << " KiB\n";
    Platform::trimWorkingSet(QStringLiteral("not-this-process"));
    out << "after a trim for another name: " << residentKiB() << " KiB\n";
    return 0;
}
