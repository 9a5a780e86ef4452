// The translation of one MathProg model into an LP file, with GLPK.
#include "glpk/translator.h"

#include <string>

extern "C" {
#include <glpk.h>
}

#include "batch/model_names.h"
#include "platform/files.h"

namespace {

// A GLPK problem object and MathProg workspace, released in reverse order.
struct GlpkTranslation {
    glp_prob* prob = nullptr;
    glp_tran* tran = nullptr;
    GlpkTranslation() {
        prob = glp_create_prob();
        tran = glp_mpl_alloc_wksp();
    }
    GlpkTranslation(const GlpkTranslation&) = delete;
    GlpkTranslation& operator=(const GlpkTranslation&) = delete;
    ~GlpkTranslation() {
        glp_mpl_free_wksp(tran);
        glp_delete_prob(prob);
    }
};

// Has GLPK write the problem as an LP file through a temporary file in the
// LP file's folder, renamed over `lpPath` once whole, so that a translation
// killed halfway never leaves a truncated LP file. What GLPK says as it
// writes goes to `said`. Returns true on success.
bool writeLpFile(glp_prob* prob, const std::string& lpPath, std::string& said) {
    // An existing LP path that is not a regular file (a folder, a FIFO) is
    // not replaced.
    if (holdsOtherThanFile(lpPath)) return false;
    const std::string folder = parentFolder(lpPath);
    std::string temp;
    FileDescriptor out(createTempFile(folder, temp, nullptr));
    if (out.fd < 0) return false;
    out.close();
    // GLPK names the file it writes in what it says: the LP path there, not
    // the temporary one.
    struct Names {
        const std::string& temp;
        const std::string& target;
        std::string& said;
    } names{temp, lpPath, said};
    glp_term_hook(
        [](void* info, const char* text) -> int {
            Names& n = *static_cast<Names*>(info);
            std::string line(text);
            const size_t at = line.find(n.temp);
            if (at != std::string::npos) line.replace(at, n.temp.size(), n.target);
            n.said += line;
            return 1;
        },
        &names);
    const bool written = glp_write_lp(prob, nullptr, temp.c_str()) == 0;
    glp_term_hook(nullptr, nullptr);
    if (!written || !renameFile(temp, lpPath, nullptr)) {
        removeIfPresent(temp, nullptr);
        return false;
    }
    return true;
}

}  // namespace

TranslationFailure convertModel(std::string modelPath, std::string& written) {
    if (!endsWith(modelPath, "mod")) return TranslationFailure::None;
    const std::string lpPath = lpPathOfModel(modelPath);
    const std::string dataPath = dataPathOfModel(modelPath);

    // Only regular files are handed to the library (a FIFO would block it).
    if (!isRegularFile(modelPath)) return TranslationFailure::Read;
    GlpkTranslation translation;
    // With a data file, the data file supplies the data and the model's own
    // data section is skipped; without one, the model's own data is used.
    int readResult;
    if (fileIsReadable(dataPath)) {
        readResult = glp_mpl_read_model(translation.tran, modelPath.c_str(), 1);
        if (readResult == 0) readResult = glp_mpl_read_data(translation.tran, dataPath.c_str());
    } else {
        readResult = glp_mpl_read_model(translation.tran, modelPath.c_str(), 0);
    }
    if (readResult != 0) return TranslationFailure::Read;
    if (glp_mpl_generate(translation.tran, nullptr) != 0) return TranslationFailure::Generate;
    glp_mpl_build_prob(translation.tran, translation.prob);
    return writeLpFile(translation.prob, lpPath, written) ? TranslationFailure::None : TranslationFailure::Write;
}
