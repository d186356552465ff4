#pragma once

#include "instancerequests.h"

class SchedulingEngine;
class TForm1;

// What the running instance does for another start's request, and its
// answer: "ok" and how many entries it acted on (for "stop", how many runs
// it asked to stop), "no-entry" when the number or name picks none, "error"
// when the action failed (its history says why).
InstanceRequests::Answerer instanceAnswerer(SchedulingEngine &engine, TForm1 &form1);
