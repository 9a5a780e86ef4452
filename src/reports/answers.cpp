// Known results of a test set, and the check of answers against them.
#include "reports/answers.h"

#include <cmath>
#include <sstream>

#include "batch/model_names.h"
#include "reports/report_rows.h"
#include "text/Messages.h"

bool valuesAgree(double z, double v) { return std::fabs(z - v) <= std::max(1e-9, 1e-6 * std::fabs(v)); }

namespace {

// z better than v beyond the tolerance, in the model's sense.
bool better(double z, double v, bool minimize) { return !valuesAgree(z, v) && (minimize ? z < v : z > v); }

}  // namespace

KnownResults parseKnownResults(const std::string& text, const std::string& fileName, std::ostream& errors) {
    static const std::map<std::string, Reference::Kind> kinds = {
        {"=opt=", Reference::Optimal},       {"=best=", Reference::Best},    {"=inf=", Reference::Infeasible},
        {"=unbd=", Reference::Unbounded},    {"=feas=", Reference::Feasible}, {"=unkn=", Reference::Unknown}};
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
            errors << fileName << ":" << number << msg::soluBadLine << line << "\n";
            continue;
        }
        known[name] = reference;
    }
    return known;
}

Check checkAnswer(const std::optional<Reference>& reference, Outcome outcome, std::optional<double> z, bool minimize) {
    if (!reference || reference->kind == Reference::Unknown) return Check::NoReference;
    const bool optimal = outcome == Outcome::Optimal;
    const bool infeasible = outcome == Outcome::Infeasible;
    const bool unbounded = outcome == Outcome::Unbounded;
    const double v = reference->value;
    bool wrong = false;
    switch (reference->kind) {
        case Reference::Optimal:
            wrong = (optimal && (!z || !valuesAgree(*z, v))) || (z && better(*z, v, minimize)) || infeasible || unbounded;
            break;
        case Reference::Best: wrong = optimal && z && better(v, *z, minimize); break;
        case Reference::Infeasible: wrong = z.has_value() || optimal || unbounded; break;
        case Reference::Unbounded: wrong = optimal || infeasible; break;
        case Reference::Feasible: wrong = infeasible; break;
        case Reference::Unknown: break;
    }
    return wrong ? Check::Wrong : Check::Ok;
}

Check checkResult(const KnownResults& known, const ModelResult& result, const std::vector<std::string>& formats) {
    const auto found = known.find(modelStem(result.name, formats));
    const std::optional<Reference> reference =
        found != known.end() ? std::optional<Reference>(found->second) : std::nullopt;
    // The objective value of the best solution, when there is one.
    const std::optional<double> z = result.hasSolution && result.primalBound ? finiteValue(*result.primalBound)
                                                                              : std::nullopt;
    return checkAnswer(reference, result.outcome, z, result.minimize);
}
