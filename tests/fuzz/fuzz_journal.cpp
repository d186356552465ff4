// A journal file as the viewer reads it: the line index and the columns, for
// any bytes, with long lines cut for the cells.
#include "journal/celltext.h"
#include "journal/journalmodel.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    JournalModel model;
    model.setJournalText(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const int rows = model.rowCount();
    if (rows > int(size) + 1)
        std::abort();
    for (int row = 0; row < rows && row < 64; ++row) {
        for (int column = 0; column < 2; ++column) {
            const QString cell = model.data(model.index(row, column), Qt::DisplayRole).toString();
            if (cell.size() > kLongestCell || cell.contains(QLatin1Char('\n')))
                std::abort();
        }
    }
    return 0;
}
