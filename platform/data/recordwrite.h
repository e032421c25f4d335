#pragma once
// PendingRecordWrite: a record being written field by field. Unless Commit()
// is reached, the fields already put are dropped and the record's lock is
// released when the scope is left, so a save that fails half-way (a refused
// field, an error unwinding the event) writes nothing and holds nothing.
#include "platform/data/dbserver.h"

namespace kp {

class PendingRecordWrite {
  public:
    explicit PendingRecordWrite(DBServer& server) : server_(server) {}
    ~PendingRecordWrite() {
        if (done_)
            return;
        try {
            server_.Revert();
        } catch (...) {
            // Leaving the scope must not fail; the lock goes with the server.
        }
    }
    PendingRecordWrite(const PendingRecordWrite&) = delete;
    PendingRecordWrite& operator=(const PendingRecordWrite&) = delete;

    bool Commit() {
        done_ = true;
        return server_.Commit();
    }

  private:
    DBServer& server_;
    bool done_ = false;
};

}  // namespace kp
