// The commands of LoteOtimizador: opt (solve every model of a folder) and
// mod_lp (translate every MathProg model of a folder), and the solve of one
// model with SCIP.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "commands/model_listing.h"
#include "engine/translations.h"

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
    std::string commandLine;  // for the batch's record; "": the shell
    // --historico PASTA: the folder whose complete report's times order the
    // hand-out, read before anything is touched; "": the output folder's own.
    std::string historyFolder;
};
struct OptResult {
    // 0 all solved, 1 a model or a file failed, 2 a folder is invalid.
    int exitStatus = 2;
    // SIGINT or SIGTERM when the batch was stopped by one, else 0.
    int interruptedBy = 0;
};

// opt in the shell: asks for the model folder, then runs the batch.
OptResult optimizeFolder(const BatchSettings& settings);
// opt: checks the folders and SCIP's parameters, lists the models and
// solves every model entry, keeping the reports as entries finish.
OptResult runOpt(const OptRequest& request, const BatchSettings& settings);
// Solves one entry in a worker process (nothing unless its name ends in one
// of the batch's formats, "lp" by default); its solution, if any, goes to `outputFolder`. `solveStarting` is called just before SCIP
// starts to solve. Loads SCIP's library first.
std::optional<ModelResult> solveModel(std::string modelPath, const std::string& outputFolder,
                                      const BatchSettings& settings, const std::function<void()>& solveStarting);

// mod_lp: asks for a folder and translates every .mod file into an .lp file,
// in `settings.jobs` workers.
TranslationResult convertFolder(const BatchSettings& settings);
// The same on a folder given at once; nothing when it is not a folder.
// `incomplete` says whether a folder that cannot be listed whole is
// translated as far as it was listed, or not at all.
std::optional<TranslationResult> convertFolderAt(const std::string& folder, const BatchSettings& settings,
                                                 IncompleteListing incomplete);
