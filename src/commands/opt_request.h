// What one opt is asked to do, as the command line or the shell fills it in:
// one plain struct, read where each part of it acts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "batch/variants.h"

// Where the folders of an opt request come from.
enum class Caller {
    Shell,        // typed at the prompts: the output folder is asked for once the model folder is listed
    CommandLine,  // given at once: errors go to standard error with the usage, a missing output folder is made
};
// One opt as the command line or the shell asks for it: folders, resume,
// part, SCIP's parameters, seeds, the record's command line and the
// earlier report that orders the hand-out (the batch's settings go beside it).
struct OptRequest {
    Caller caller = Caller::Shell;
    std::string lpFolder;
    std::string outputFolder;  // Caller::Shell: asked for
    Resume resume = Resume::No;
    std::optional<Shard> shard;  // only this part of the entries, into part reports and a record
    ScipRequest scip;            // SCIP's parameters asked for, checked before the batch
    // --sementes: every model under each of these seeds, each seed into its
    // own folder "semente-K" of the output folder; none: one batch.
    std::vector<int> seeds;
    // --variantes: every model under each variant's settings too, each
    // variant into its own folder "variante-NOME"; none: one batch.
    std::vector<Variant> variants;
    std::string commandLine;  // for the batch's record; "": the shell
    // --historico PASTA: the folder whose complete report's times order the
    // hand-out, read before anything is touched; "": the output folder's own.
    std::string historyFolder;
};
// What became of an opt.
struct OptResult {
    // 0 all solved, 1 a model or a file failed, 2 a folder is invalid.
    int exitStatus = 2;
    // SIGINT or SIGTERM when the batch was stopped by one, else 0.
    int interruptedBy = 0;
};
