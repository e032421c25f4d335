#pragma once
// SuspendedNotification: a server's notifications held back for a scope.
// The counter goes down again however the scope is left, also when a
// run-time error unwinds it; a count left behind would keep every client
// from hearing of the server again.
#include "platform/data/dataserver.h"

namespace kp {

class SuspendedNotification {
  public:
    explicit SuspendedNotification(DataServer& server) : server_(server) {
        server_.SuspendNotification();
    }
    ~SuspendedNotification() { server_.ResetNotification(); }
    SuspendedNotification(const SuspendedNotification&) = delete;
    SuspendedNotification& operator=(const SuspendedNotification&) = delete;

  private:
    DataServer& server_;
};

}  // namespace kp
