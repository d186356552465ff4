#include "instancecommands.h"

#include "Unit1.h"
#include "engine/entrylisting.h"
#include "engine/schedulingengine.h"
#include "journal/errorboundary.h"

InstanceRequests::Answerer instanceAnswerer(SchedulingEngine &engine, TForm1 &form1)
{
    return [&engine, &form1](const InstanceRequest &request) {
        QByteArray answer = "error";
        ErrorBoundary::run([&] {
            if (request.verb == "show") {
                form1.Affiche1Click();
                answer = "ok";
                return;
            }
            const QList<int> entries = entriesNamed(engine.lines().items(), request.entry);
            if (entries.isEmpty()) {
                answer = "no-entry";
                return;
            }
            qsizetype done = entries.size();
            if (request.verb == "run-now") {
                for (int index : entries)
                    engine.runNow(index);
            } else if (request.verb == "stop") {
                done = engine.stopRuns(entries);
            } else {
                engine.setPaused(entries, request.verb == "pause");
            }
            answer = "ok " + QByteArray::number(done);
        });
        return answer;
    };
}
