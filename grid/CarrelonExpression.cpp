#include "grid/CarrelonExpression.h"

#include "grid/CarrelonFormulas.h"
#include "grid/CarrelonPrivate.h"
#include "platform/rtl/Exceptions.h"

namespace carrelon {

Extended TCarrelonExpression::Evaluate(const AnsiString& Text, TCarrelonCell* Cell,
                                       TCarrelonExpressionType& ResultType) {
    FErrorText.clear();
    TFormulaResult r = TCarrelonPrivate::Of(FGrid).Formulas().Engine().Evaluate(Text, Cell);
    if (!r.Ok) {
        FErrorText = r.ErrorText;
        throw Exception(FErrorText);
    }
    ResultType = r.Type;
    return r.Value.Kind == TFormulaValue::fvNA ? FormulaNA : r.Value.Number;
}

}  // namespace carrelon
