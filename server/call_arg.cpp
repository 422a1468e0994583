#include "server/call_arg.h"

CallArg ArgRef(std::string& ref) {
    return CallArg(Variant(ref), [&ref](const Variant& v) { ref = v.AsString(); });
}

CallArg ArgRef(int& ref) {
    return CallArg(Variant(ref),
                   [&ref](const Variant& v) { ref = static_cast<int>(v.AsInteger()); });
}

CallArg ArgRef(int64_t& ref) {
    return CallArg(Variant(static_cast<long long>(ref)),
                   [&ref](const Variant& v) { ref = v.AsInteger(); });
}

CallArg ArgRef(double& ref) {
    return CallArg(Variant(ref), [&ref](const Variant& v) { ref = v.AsFloat(); });
}

CallArg ArgRef(Variant& ref) {
    return CallArg(ref, [&ref](const Variant& v) { ref = v; });
}

CallArg ArgRefDate(TDateTime& ref) {
    return CallArg(Variant::FromDateTime(ref), [&ref](const Variant& v) { ref = v.AsDateTime(); });
}
