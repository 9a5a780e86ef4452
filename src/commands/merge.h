// merge: the reports of the parts of a sharded batch (run apart, for example
// as the tasks of a Slurm job array) joined into the batch's reports.
#pragma once

#include <string>

// Whether `folder` holds a part's report.
bool holdsParts(const std::string& folder);
// Joins the finished parts in `outputFolder` into its reports, rows in
// folder order (of a batch under several seeds, those of each seed's folder
// that holds parts into its reports). Says what is missing, unfinished or
// inconsistent on standard error and writes nothing then (into that
// folder). Returns the exit status (0 or 1; 2 while a run holds the folder).
int mergeParts(const std::string& outputFolder);
