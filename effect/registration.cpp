#include "effect/entry_points.h"
#include "effect/identity.h"

namespace {

const A_u_char* Text(const char* s)
{
    return reinterpret_cast<const A_u_char*>(s);
}

}  // namespace

extern "C" PF_Err PluginDataEntryFunction2(struct PF_PluginData* in_ptr, PF_PluginDataCB2 callback,
                                           struct SPBasicSuite* /*basic_suite*/, const char* /*host_name*/,
                                           const char* /*host_version*/)
{
    try {
        return callback(in_ptr, Text(identity::kName), Text(identity::kMatchName), Text(identity::kCategory),
                        Text(identity::kEntryPoint), identity::kKind, identity::kApiMajor, identity::kApiMinor,
                        identity::kReservedInfo, Text(identity::kSupportUrl));
    } catch (int32_t err) {
        return err;
    } catch (...) {
        return PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
}
