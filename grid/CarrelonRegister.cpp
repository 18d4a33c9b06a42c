// Registration of the control with the design environment.
#include "grid/Carrelon.h"
#include "platform/controls/Component.h"

namespace carrelon {

void Register() {
    RegisterComponents("Carrelon", {ClassOf<TCarrelon>()});
}

}  // namespace carrelon
