// A model's result as bytes, for the pipe from a worker to the program that
// runs the batch. Pure: no I/O.
#pragma once

#include <optional>
#include <string>

#include "batch/batch.h"

// Every field but the console text and CONFERE, which the receiving program
// fills in itself.
std::string encodeResult(const ModelResult& result);
// The result of `encodeResult`; nothing when the bytes are not one whole result.
std::optional<ModelResult> decodeResult(const std::string& bytes);
