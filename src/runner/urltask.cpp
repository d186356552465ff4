#include "urltask.h"

#include "journal/errorboundary.h"
#include "journal/eventrecorder.h"

void http(EventRecorder &events, const QString &url, QObject *owner,
          const HttpClient::Limits &limits, const HttpClient::Resolver &resolver,
          const QString &subject, const std::function<void(const QString &result, bool over)> &outcome)
{
    const QString detail = subject.isEmpty() ? url : subject;
    auto *client = new HttpClient(url, limits, owner);
    if (resolver)
        client->setResolver(resolver);
    QObject::connect(client, &HttpClient::finished, client,
                     [&events, client, detail, told = outcome](const HttpClient::Outcome &outcome) {
                         client->deleteLater();
                         if (told)
                             told(outcome.message, true);
                         // The request ended outside any pass: its errors are
                         // recorded here, not left to unwind through Qt.
                         ErrorBoundary::run([&] {
                             if (outcome.success)
                                 events.recordStart(detail);
                             else
                                 events.recordFailure(outcome.message, detail);
                         });
                     });
    client->start();
}
