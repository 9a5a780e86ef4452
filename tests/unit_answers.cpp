// CONFERE: an answer's bounds held against each kind of known value, and
// the known results read from SCIP's format.
#include <gtest/gtest.h>

#include <sstream>

#include "reports/answers.h"
#include "reports/report_rows.h"

TEST(CheckAnswer, EachReferenceKindByBothBoundsInTheModelsSense) {
    const auto ref = [](Reference::Kind kind, double value = 0.0) {
        return std::optional<Reference>(Reference{kind, value});
    };
    const std::optional<double> none;
    // What SCIP said: outcome, primal, dual, sense; what CONFERE says, and why.
    struct Case {
        std::optional<Reference> reference;
        Outcome outcome;
        std::optional<double> z, dual;
        bool minimize;
        Check check;
        unsigned reasons;
    };
    const double inf = 1e20;  // SCIP's infinity, as the dual bound of an infeasible model
    const Case cases[] = {
        // =opt= 10, answers: both bounds must agree (1e-6 relative), the answer be optimal.
        {ref(Reference::Optimal, 10), Outcome::Optimal, 10.000001, 10.0, true, Check::Ok, 0},
        {ref(Reference::Optimal, 10), Outcome::Optimal, 11, 11, true, Check::Wrong, kReasonValue | kReasonDualBound},
        {ref(Reference::Optimal, 10), Outcome::Optimal, 10, 10.001, true, Check::Wrong, kReasonDualBound},
        {ref(Reference::Optimal, 10), Outcome::Infeasible, none, inf, true, Check::Wrong, kReasonStatus},
        {ref(Reference::Optimal, 10), Outcome::InfeasibleOrUnbounded, none, none, true, Check::Wrong, kReasonStatus},
        // =opt= 10, stopped by a limit: a bound that passes 10 (either side, by the sense).
        {ref(Reference::Optimal, 10), Outcome::TimeLimit, 12, 8, true, Check::Compatible, 0},
        {ref(Reference::Optimal, 10), Outcome::TimeLimit, 9, 8, true, Check::Wrong, kReasonValue},
        {ref(Reference::Optimal, 10), Outcome::TimeLimit, 12, 10.5, true, Check::Wrong, kReasonDualBound},
        {ref(Reference::Optimal, 10), Outcome::TimeLimit, 9, 12, false, Check::Compatible, 0},
        {ref(Reference::Optimal, 10), Outcome::Other, 11, 9.5, false, Check::Wrong, kReasonValue | kReasonDualBound},
        // =best= 10: beaten, contradicted by the dual bound, or agreed with.
        {ref(Reference::Best, 10), Outcome::Optimal, 9, 9, true, Check::Better, 0},
        {ref(Reference::Best, 10), Outcome::Optimal, 11, 11, true, Check::Wrong, kReasonDualBound},
        {ref(Reference::Best, 10), Outcome::Optimal, 10, 10, true, Check::Ok, 0},
        {ref(Reference::Best, 10), Outcome::TimeLimit, 9, 5, true, Check::Better, 0},
        {ref(Reference::Best, 10), Outcome::TimeLimit, 12, 5, true, Check::Compatible, 0},
        {ref(Reference::Best, 10), Outcome::TimeLimit, 12, 9, false, Check::Wrong, kReasonDualBound},
        {ref(Reference::Best, 10), Outcome::Infeasible, none, inf, true, Check::Wrong,
         kReasonDualBound | kReasonStatus},
        // =inf=: no solution, and an answer that says infeasible.
        {ref(Reference::Infeasible), Outcome::Infeasible, none, inf, true, Check::Ok, 0},
        {ref(Reference::Infeasible), Outcome::Optimal, 3, 3, true, Check::Wrong, kReasonValue | kReasonStatus},
        {ref(Reference::Infeasible), Outcome::TimeLimit, 3, 1, true, Check::Wrong, kReasonValue},
        {ref(Reference::Infeasible), Outcome::TimeLimit, none, 1, true, Check::Compatible, 0},
        // The other kinds as before: only a contradicting answer.
        {ref(Reference::Unbounded), Outcome::Infeasible, none, inf, true, Check::Wrong, kReasonStatus},
        {ref(Reference::Unbounded), Outcome::TimeLimit, 1, none, true, Check::Ok, 0},
        {ref(Reference::Feasible), Outcome::Infeasible, none, inf, true, Check::Wrong, kReasonStatus},
        {ref(Reference::Unknown), Outcome::Optimal, 1, 1, true, Check::NoReference, 0},
        {std::nullopt, Outcome::Optimal, 1, 1, true, Check::NoReference, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const CheckedAnswer got = checkAnswer(c.reference, Answer{c.outcome, c.z, c.dual, c.minimize});
        EXPECT_EQ(got.check, c.check) << "case " << i;
        EXPECT_EQ(got.reasons, c.reasons) << "case " << i;
    }
    EXPECT_EQ(checkReasonsText(kReasonValue | kReasonDualBound | kReasonStatus | kReasonInfeasibleSolution),
              "VALOR+LIMITE DUAL+STATUS+SOLUCAO INVIAVEL");
}

TEST(KnownResults, ReadFromScipsFormatBadLinesNamed) {
    std::string errors;
    const KnownResults known =
        parseKnownResults("=opt= a 1.5\n\n=inf= b\n=best= c\n=feas= d x\n=unbd= e\n", "f.solu", &errors);
    EXPECT_EQ(known.size(), 3u);
    EXPECT_EQ(known.at("a").value, 1.5);
    EXPECT_EQ(errors,
              "f.solu:4: linha ignorada, fora do formato =opt=/=best=/=inf=/=unbd=/=feas=/=unkn=: =best= c\n"
              "f.solu:5: linha ignorada, fora do formato =opt=/=best=/=inf=/=unbd=/=feas=/=unkn=: =feas= d x\n");
}
