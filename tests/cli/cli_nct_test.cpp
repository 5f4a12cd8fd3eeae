// kelbrant ci t and kelbrant power t: the intervals for the noncentrality of
// an observed t and for Cohen's d and Hedges' g, their --csv batch rules,
// the t tests' design, and `ci F` unchanged beside them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_cli.h"

// The limits of t = 55 on 1e6 degrees of freedom, which other tools get
// wrong ([48.4, 63.5]); mpmath's roots are in tests/data/nct.inc.
TEST(CliNct, IntervalForms)
{
    cli_run run = run_cli({"ci", "t", "55", "1e6"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out.rfind("delta 53.03854062277", 0), 0u) << run.out;
    EXPECT_NE(run.out.find(" 56.96143191656"), std::string::npos) << run.out;

    run = run_cli({"ci", "t", "2.5", "20", "--n", "21"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("\nd 0.08015445186"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\ng 0.07710413682"), std::string::npos) << run.out;

    run = run_cli({"ci", "t", "2.5", "38", "--n1", "20", "--n2", "20", "--alternative", "greater"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find(" inf\nd "), std::string::npos) << run.out;

    // ci F keeps its form.
    run = run_cli({"ci", "2", "3", "10"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out.rfind("lambda 0 18.8852068114522", 0), 0u) << run.out;

    struct failing {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const failing cases[] = {
        {{"ci", "t", "2", "0"}, 1, "out of its domain"},
        {{"ci", "t", "2", "10", "--level", "1"}, 1, "out of its domain"},
        {{"ci", "t", "2"}, 2, "ci t takes T DF"},
        {{"ci", "t", "2", "10", "--n", "5", "--n1", "3", "--n2", "4"}, 2, "not both"},
        {{"ci", "t", "2", "10", "--n1", "3"}, 2, "go together"},
        {{"ci", "t", "x", "10"}, 2, "T is not a number: 'x'"},
    };
    for (const failing& c : cases) {
        run = run_cli(c.args);
        EXPECT_EQ(run.exit_status, c.status) << c.args[2];
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST(CliNct, IntervalCsvRows)
{
    cli_run run = run_cli({"ci", "t", "--csv"},
                          "t,df,n1,n2\n55,1e6\n\n2.5,20,21\n,20\nx,3\n1\n2,-1\n2.5,20,,\n");
    EXPECT_EQ(run.exit_status, 1);
    const std::vector<std::string> starts = {
        "t,df,n1,n2,delta_lower,delta_upper,d_lower,d_upper,g_lower,g_upper,status\n",
        "55,1e6,,,53.03854062277",
        "2.5,20,21,,0.367313842975",
        ",20,,,,,,,,,missing\n",
        "x,3,,,,,,,,,error\n",
        "1,,,,,,,,,,error\n",
        "2,-1,,,,,,,,,invalid\n",
        "2.5,20,,,,,,,,,missing\n",  // a size column given empty
    };
    size_t at = 0;
    for (const std::string& s : starts) {
        size_t found = run.out.find(s, at);
        ASSERT_EQ(found, at) << "expected " << s << " in\n" << run.out;
        at = run.out.find('\n', found) + 1;
    }
    EXPECT_EQ(at, run.out.size());
    EXPECT_NE(run.err.find("line 6: t is not a number: 'x'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 7: expected 2 to 4 fields"), std::string::npos) << run.err;
}

// pwr.t.test(n = 20, d = 0.5)$power = 0.337939, and n = 63.77 for power 0.8,
// the whole size 64.
TEST(CliNct, PowerSolvesEachUnknown)
{
    cli_run run = run_cli({"power", "t", "--n", "20", "--d", "0.5"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("power 0.337939028925"), std::string::npos) << run.out;

    run = run_cli({"power", "t", "--d", "0.5", "--power", "0.8"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("n_per_group 64\n"), std::string::npos) << run.out;

    run = run_cli({"power", "t", "--type", "paired", "--n", "30", "--power", "0.9", "--alternative",
                   "greater"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("d 0.5472"), std::string::npos) << run.out;

    run = run_cli({"power", "t", "--n1", "10", "--d", "0.6", "--power", "0.5"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_NE(run.err.find("no whole n2"), std::string::npos) << run.err;

    run = run_cli({"power", "t", "--n", "20"});
    EXPECT_EQ(run.exit_status, 2);
    run = run_cli({"power", "t", "--type", "three", "--n", "20", "--d", "1"});
    EXPECT_EQ(run.exit_status, 2);
}
