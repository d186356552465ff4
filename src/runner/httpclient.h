#pragma once

#include <QString>

// One HTTP GET, made and ended within the call: connection, request, reply
// read and thrown away. Blocks the calling thread.
class HttpClient
{
public:
    struct Limits
    {
        int connectMs = 3200;
        int readMs = 3200;
        // Reading the body of a reply that already failed.
        int failureBodyReadMs = 2000;
        // A server that trickles or never stops sending must not hold the
        // program for good.
        int wholeRequestMs = 30000;
    };

    struct Outcome
    {
        bool success = false;
        QString message; // the failure's text
    };

    // A port that is not a number raises EConvertError; every failure of the
    // exchange itself is an Outcome.
    static Outcome get(const QString &url, const Limits &limits);
    static Outcome get(const QString &url) { return get(url, Limits()); }
};
