#include "core/checked_arithmetic.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <optional>

#include "core/run_time_error.h"

namespace corvanta {
namespace {

struct StepCase {
    const char* name;
    std::function<double()> step;
    std::optional<ErrorNumber> error;  // none: the step succeeds
};

TEST(CheckedArithmetic, FailsOnlyOnInvalidDivisionByZeroAndOverflow) {
    const StepCase cases[] = {
        {"1/0", [] { return checked::Divide(1.0, 0.0); }, ErrorNumber::DivisionByZero},
        {"-5/-0", [] { return checked::Divide(-5.0, -0.0); }, ErrorNumber::DivisionByZero},
        {"0/0 is invalid", [] { return checked::Divide(0.0, 0.0); }, ErrorNumber::Overflow},
        {"quotient overflows", [] { return checked::Divide(DBL_MAX, 0.5); }, ErrorNumber::Overflow},
        {"product overflows", [] { return checked::Multiply(1e308, 10.0); }, ErrorNumber::Overflow},
        {"difference overflows", [] { return checked::Subtract(-DBL_MAX, DBL_MAX); }, ErrorNumber::Overflow},
        {"underflow is fine", [] { return checked::Divide(DBL_MIN, 1e300); }, std::nullopt},
        {"inexact is fine", [] { return checked::Divide(1.0, 3.0); }, std::nullopt},
        {"narrow largest float", [] { return double{checked::Narrow(FLT_MAX)}; }, std::nullopt},
        {"narrow just below the tie", [] { return double{checked::Narrow(std::nextafter(0x1.ffffffp127, 0.0))}; },
         std::nullopt},
        {"narrow the tie to 2^128", [] { return double{checked::Narrow(-0x1.ffffffp127)}; }, ErrorNumber::Overflow},
        {"narrow 1e39", [] { return double{checked::Narrow(1e39)}; }, ErrorNumber::Overflow},
        {"narrow underflows to zero", [] { return double{checked::Narrow(1e-50)}; }, std::nullopt},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.error) {
            try {
                c.step();
                ADD_FAILURE() << "no failure";
            } catch (const RunTimeError& e) {
                EXPECT_EQ(e.Number(), *c.error);
                EXPECT_FALSE(e.FailedField().has_value());
            }
        } else {
            EXPECT_NO_THROW(c.step());
        }
    }
}

TEST(CheckedArithmetic, NarrowRoundsToNearestFloat) {
    EXPECT_EQ(checked::Narrow(std::nextafter(0x1.ffffffp127, 0.0)), FLT_MAX);
    EXPECT_EQ(checked::Narrow(0.1), 0.1F);
    EXPECT_EQ(checked::Narrow(1e-50), 0.0F);
}

TEST(RunTimeError, DescribesItsNumber) {
    EXPECT_STREQ(RunTimeError(ErrorNumber::Overflow).what(), "Error 6: Overflow");
    EXPECT_STREQ(RunTimeError(ErrorNumber::DivisionByZero).what(), "Error 11: Division by zero");
    const RunTimeError e(ErrorNumber::TypeMismatch, Field::DiameterMm, "abc");
    EXPECT_STREQ(e.what(), "Error 13: Type mismatch: Text8 \"abc\" is not a number");
    EXPECT_EQ(e.FailedField(), Field::DiameterMm);
    EXPECT_EQ(e.FieldText(), "abc");
}

}  // namespace
}  // namespace corvanta
