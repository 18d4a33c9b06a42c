// The root of the object model: TObject (run-time class name) and TPersistent (Assign).
#pragma once

#include "platform/rtl/Types.h"

namespace carrelon {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class name as the Parts spell it ("TCarrelonCell"); used by class registration,
    // streaming and by checks on application-supplied controls.
    virtual AnsiString ClassName() const { return "TObject"; }
};

class TPersistent : public TObject {
public:
    AnsiString ClassName() const override { return "TPersistent"; }

    // Copies Source into this object. The default asks Source to assign itself to this one and
    // raises EConvertError ("Cannot assign a X to a Y") when neither side knows the other.
    virtual void Assign(const TPersistent* Source);

protected:
    virtual void AssignTo(TPersistent* Dest) const;
};

}  // namespace carrelon
