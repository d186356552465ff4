#include "composition.h"

#include "Unit1.h"
#include "engine/schedulingengine.h"
#include "journal/errorboundary.h"

void connectEngineAndWindow(SchedulingEngine &engine, TForm1 &form1)
{
    using ErrorBoundary::guarded;
    // Direct connections: the row is in the history before the journal line
    // is written, and the window has its say on a failure within the record.
    QObject::connect(&engine, &SchedulingEngine::recorded, &form1, &TForm1::showRecorded);
    QObject::connect(&engine, &SchedulingEngine::scheduleReloaded, &form1, &TForm1::showScheduleRows);
    QObject::connect(&engine, &SchedulingEngine::scheduleCreated, &form1, &TForm1::showNewEntryPage);
    QObject::connect(&engine, &SchedulingEngine::historyClearDue, &form1,
                     guarded([&form1] { form1.Button10Click(); }));
}
