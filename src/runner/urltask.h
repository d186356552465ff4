#pragma once

#include "httpclient.h"

#include <functional>

class EventRecorder;

// http: requests a scheduled web address once and records the outcome when
// the request ends. Returns at once; the request runs on the event loop as a
// child of `owner`. A port that is not a number raises EConvertError here.
// The records name `subject`, the address itself when it is empty.
// `outcome` gets the server's status line, or the failure, when the request ends.
void http(EventRecorder &events, const QString &url, QObject *owner,
          const HttpClient::Limits &limits = HttpClient::Limits(),
          const HttpClient::Resolver &resolver = HttpClient::Resolver(),
          const QString &subject = QString(),
          const std::function<void(const QString &result, bool over)> &outcome = {});
