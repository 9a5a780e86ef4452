// Known results of a test set, and the check of answers against them.
#include "reports/answers.h"

#include <cmath>
#include <sstream>

#include "batch/model_names.h"
#include "reports/report_rows.h"
#include "text/messages.h"

bool valuesAgree(double z, double v) { return std::fabs(z - v) <= std::max(1e-9, 1e-6 * std::fabs(v)); }

namespace {

// z better than v beyond the tolerance, in the model's sense.
bool better(double z, double v, bool minimize) { return !valuesAgree(z, v) && (minimize ? z < v : z > v); }

}  // namespace

KnownResults parseKnownResults(const std::string& text, const std::string& fileName, std::string* err) {
    static const std::map<std::string, Reference::Kind> kinds = {
        {"=opt=", Reference::Optimal},    {"=best=", Reference::Best},     {"=inf=", Reference::Infeasible},
        {"=unbd=", Reference::Unbounded}, {"=feas=", Reference::Feasible}, {"=unkn=", Reference::Unknown}};
    KnownResults known;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string tag, name, value, extra;
        if (!(words >> tag)) continue;
        words >> name >> value >> extra;
        const auto kind = kinds.find(tag);
        bool ok = kind != kinds.end() && !name.empty() && extra.empty();
        Reference reference;
        if (ok) {
            reference.kind = kind->second;
            const bool needsValue = reference.kind == Reference::Optimal || reference.kind == Reference::Best;
            if (needsValue) {
                char* end = nullptr;
                reference.value = std::strtod(value.c_str(), &end);
                ok = !value.empty() && *end == '\0' && std::isfinite(reference.value);
            } else {
                ok = value.empty();
            }
        }
        if (!ok) {
            if (err != nullptr) *err += fileName + ":" + std::to_string(number) + msg::soluBadLine + line + "\n";
            continue;
        }
        known[name] = reference;
    }
    return known;
}

namespace {

bool endsWithAnAnswer(Outcome outcome) {
    return outcome == Outcome::Optimal || outcome == Outcome::Infeasible || outcome == Outcome::Unbounded ||
           outcome == Outcome::InfeasibleOrUnbounded;
}

// Against =opt= v: an answer must be optimal with both bounds at v; no
// bound may pass v.
unsigned optimalReasons(double v, const Answer& a) {
    unsigned reasons = 0;
    if (endsWithAnAnswer(a.outcome)) {
        if (a.outcome != Outcome::Optimal) return kReasonStatus;
        if (!a.z || !valuesAgree(*a.z, v)) reasons |= kReasonValue;
        if (!a.dual || !valuesAgree(*a.dual, v)) reasons |= kReasonDualBound;
        return reasons;
    }
    if (a.z && better(*a.z, v, a.minimize)) reasons |= kReasonValue;
    if (a.dual && better(v, *a.dual, a.minimize)) reasons |= kReasonDualBound;
    return reasons;
}

// Against =inf=: no solution, and an answer says infeasible.
unsigned infeasibleReasons(const Answer& a) {
    unsigned reasons = a.z ? kReasonValue : 0;
    if (a.outcome == Outcome::Optimal || a.outcome == Outcome::Unbounded) reasons |= kReasonStatus;
    return reasons;
}

}  // namespace

CheckedAnswer checkAnswer(const std::optional<Reference>& reference, const Answer& a) {
    if (!reference || reference->kind == Reference::Unknown) return {Check::NoReference, 0};
    const bool answered = endsWithAnAnswer(a.outcome);
    const Check agrees = answered ? Check::Ok : Check::Compatible;
    const double v = reference->value;
    unsigned reasons = 0;
    switch (reference->kind) {
        case Reference::Optimal: reasons = optimalReasons(v, a); break;
        case Reference::Best:
            // A solution with value v is known: the model is feasible, and its optimum no worse than v.
            reasons = (a.dual && better(v, *a.dual, a.minimize) ? kReasonDualBound : 0) |
                      (a.outcome == Outcome::Infeasible ? kReasonStatus : 0);
            if (reasons == 0 && a.z && better(*a.z, v, a.minimize)) return {Check::Better, 0};
            break;
        case Reference::Infeasible: reasons = infeasibleReasons(a); break;
        case Reference::Unbounded:
            reasons = a.outcome == Outcome::Optimal || a.outcome == Outcome::Infeasible ? kReasonStatus : 0;
            return {reasons != 0 ? Check::Wrong : Check::Ok, reasons};
        case Reference::Feasible:
            reasons = a.outcome == Outcome::Infeasible ? kReasonStatus : 0;
            return {reasons != 0 ? Check::Wrong : Check::Ok, reasons};
        case Reference::Unknown: break;
    }
    return {reasons != 0 ? Check::Wrong : agrees, reasons};
}

CheckedAnswer checkResult(const KnownResults& known, const ModelResult& result,
                          const std::vector<std::string>& formats) {
    const auto found = known.find(modelStem(result.name, formats));
    const std::optional<Reference> reference =
        found != known.end() ? std::optional<Reference>(found->second) : std::nullopt;
    Answer answer;
    answer.outcome = result.outcome;
    // The objective value of the best solution, when there is one.
    answer.z = result.hasSolution && result.primalBound ? finiteValue(*result.primalBound) : std::nullopt;
    answer.dual = result.dualBound;
    answer.minimize = result.minimize;
    CheckedAnswer checked = checkAnswer(reference, answer);
    // A solution that is not feasible is a wrong answer, whatever is known.
    if (result.verified == Verification::No) checked = {Check::Wrong, checked.reasons | kReasonInfeasibleSolution};
    return checked;
}
