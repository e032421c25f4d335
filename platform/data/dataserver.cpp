#include "platform/data/dataserver.h"

#include <algorithm>

namespace kp {

void DataServer::RegisterClient(DataClient* client) {
    if (client && std::find(clients_.begin(), clients_.end(), client) == clients_.end())
        clients_.push_back(client);
}

void DataServer::UnRegisterClient(DataClient* client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

void DataServer::Notify(int code, const Usual& description) {
    if (suspended_ > 0)
        return;
    // A client may unregister itself (or others) while it is told.
    std::vector<DataClient*> now = clients_;
    for (DataClient* c : now)
        if (std::find(clients_.begin(), clients_.end(), c) != clients_.end())
            c->Notify(code, description);
}

}  // namespace kp
