#include "urltask.h"

#include "journal/eventrecorder.h"

void http(EventRecorder &events, const QString &url, const HttpClient::Limits &limits)
{
    const HttpClient::Outcome outcome = HttpClient::get(url, limits);
    if (outcome.success)
        events.recordStart(url);
    else
        events.recordFailure(outcome.message, url);
}
