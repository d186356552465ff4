#pragma once

#include "httpclient.h"

class EventRecorder;

// http: requests a scheduled web address once and records the outcome.
void http(EventRecorder &events, const QString &url,
          const HttpClient::Limits &limits = HttpClient::Limits());
