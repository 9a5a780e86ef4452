// A solution file checked against its model by SCIP itself, through the
// function the workers use.
#include <gtest/gtest.h>

#include "scip/scip_api.h"
#include "scip/solution_check.h"
#include "test_support.h"

using namespace testing_support;

TEST(SolutionCheck, FeasibleViolatedAndUnreadableSolutions) {
    std::string err;
    ASSERT_TRUE(loadScipLibrary(&err)) << err;
    TempDir dir;
    const fs::path model = dir / "escala.lp";
    writeFile(model,
              "Minimize\n turnos: t1 + t2 + t3 + t4\nSubject To\n manha: t1 + t4 >= 3\n tarde: t1 + t2 >= 5\n"
              " noite: t2 + t3 >= 2\n madrugada: t3 + t4 >= 1\nGeneral\n t1 t2 t3 t4\nEnd\n");
    const auto check = [&](const std::string& name, const std::string& values, const BatchSettings& settings = {}) {
        writeFile(dir / name, "solution status: optimal solution found\nobjective value: 6\n" + values);
        return checkSolutionFile(model.string(), (dir / name).string(), settings, nullptr);
    };
    EXPECT_EQ(check("boa.sol", "t1 4 (obj:1)\nt2 1 (obj:1)\nt3 1 (obj:1)\n").verified, Verification::Yes);
    // tarde short by 3, manha by 2: the largest is named, with SCIP's words for both.
    const SolutionCheck rows = check("linhas.sol", "t1 1\nt2 1\nt3 1\n");
    EXPECT_EQ(rows.verified, Verification::No);
    EXPECT_NEAR(rows.largest, 3.0, 1e-9);
    EXPECT_STREQ(rows.kind, "restrição");
    EXPECT_EQ(rows.reason,
              "[linear] <manha>: <t1>[I] (+1) +<t4>[I] (+0) >= 3; violation: left hand side is violated by 2 "
              "[linear] <tarde>: <t1>[I] (+1) +<t2>[I] (+1) >= 5; violation: left hand side is violated by 3");
    // A value outside a variable's bounds, and one that is not integral.
    const SolutionCheck bound = check("limite.sol", "t1 4\nt2 1\nt3 1\nt4 -7\n");
    EXPECT_EQ(bound.verified, Verification::No);
    EXPECT_STREQ(bound.kind, "limite de variável");
    EXPECT_NEAR(bound.largest, 7.0, 1e-9);
    const SolutionCheck fraction = check("fracao.sol", "t1 4.5\nt2 1\nt3 1\n");
    EXPECT_EQ(fraction.verified, Verification::No);
    EXPECT_NEAR(fraction.largest, 0.5, 1e-9);
    // Within the batch's feasibility tolerance, or not.
    BatchSettings loose;
    loose.scipParameters = "numerics/feastol = 0.001\n";
    EXPECT_EQ(check("quase.sol", "t1 3.9995\nt2 1\nt3 1\n").verified, Verification::No);
    EXPECT_EQ(check("quase.sol", "t1 3.9995\nt2 1\nt3 1\n", loose).verified, Verification::Yes);
    // A file SCIP cannot read as a solution is no check.
    EXPECT_EQ(check("lixo.sol", "t1 quatro\n").verified, Verification::NotChecked);
}
