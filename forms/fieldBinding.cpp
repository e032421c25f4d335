#include "forms/fieldBinding.h"

namespace kp {

int FieldBinding::PositionIn(const DBServer& server, Symbol ownName) const {
    if (!server.Used())
        return 0;
    if (position_ > 0)
        return position_ <= server.FCount() ? position_ : 0;
    const Symbol name = !symbol_.IsNull() ? symbol_ : ownName;
    return name.IsNull() ? 0 : server.FieldPos(name);
}

}  // namespace kp
