// What each part of a sharded batch leaves beside its reports.
#include "reports/part_info.h"

#include <cstdio>
#include <sstream>

#include "platform/files.h"
#include "reports/output_files.h"
#include "text/format.h"
#include "text/messages.h"

std::string partInfoName(const Shard& shard) { return partName(kPartInfoFile, shard); }

std::string listingDigest(const std::vector<std::string>& modelPaths, const std::string& modelList) {
    std::string names = modelList.empty() ? "" : modelList + '\0';
    for (const std::string& path : modelPaths) names += (modelList.empty() ? baseName(path) : path) + '\0';
    return fnv1aDigest(names);
}

std::string partInfoText(const Shard& shard, const std::vector<std::string>& modelPaths, const std::string& modelList,
                         const std::optional<BatchResult>& ran, size_t target) {
    std::string text = "LoteOtimizador parte " + std::to_string(shard.index) + " de " + std::to_string(shard.count) +
                       "\nentradas " + std::to_string(modelPaths.size()) + "\nnomes " +
                       listingDigest(modelPaths, modelList) + "\nlinhas";
    if (ran) {
        for (size_t position : ran->rowPositions.at(target)) text += " " + std::to_string(position);
    }
    text += "\n";
    if (ran) {
        char memory[64];
        std::snprintf(memory, sizeof memory, "%.0f", ran->memoryPerWorkerMb);
        text += "processos " + std::to_string(ran->workers) + "\nmemoria_por_processo_mb " + memory + "\n";
        if (ran->interruptedBy == 0 && ran->finished == ran->entries) text += "concluida\n";
    }
    return text;
}

bool writePartInfo(const std::string& outputFolder, const Shard& shard, const BatchPlan& plan,
                   const std::optional<BatchResult>& ran, size_t target, std::string* err) {
    const std::string path = joinPath(outputFolder, partInfoName(shard));
    std::string reason;
    const std::string text = partInfoText(shard, plan.modelPaths, plan.modelList, ran, target);
    if (replaceFile(outputFolder, path, text, &reason)) return true;
    if (err != nullptr) *err = ioErrorLine(msg::reportNotWritten, path, reason);
    return false;
}

PartInfo readPartInfo(const std::string& text) {
    PartInfo info;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "entradas") words >> info.entries;
        if (key == "nomes") words >> info.digest;
        if (key == "linhas") {
            size_t position = 0;
            while (words >> position) info.positions.push_back(position);
        }
        if (key == "concluida") info.finished = true;
    }
    return info;
}
