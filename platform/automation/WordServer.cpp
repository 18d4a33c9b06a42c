#include "platform/automation/OleServer.h"

namespace carrelon::ole {

IDispatchPtr StartWordDocument(const TCLSID&) {
    OleCheck(REGDB_E_CLASSNOTREG);
    return nullptr;
}
IDispatchPtr StartWordApplication(const TCLSID&) {
    OleCheck(REGDB_E_CLASSNOTREG);
    return nullptr;
}

}  // namespace carrelon::ole
