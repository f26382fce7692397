// Several tracks rendered one after another into one folder, on one
// progress line; a track that fails is reported and the others still render.
#pragma once
#include <string>
#include <vector>

#include "commands/render_job.h"

namespace velmo {

// `job` as for one track, its output the folder (made when missing and named
// with a final '/') that gets
// NAME.mp4, or a folder NAME/ of PNG frames with `job.png`, for each file.
// Returns 0 when every file was rendered, 1 when one failed, 128 + the signal
// when one stopped the batch. The closing line lists what was written and
// what was not.
int runRenderBatch(const RenderJob& job, const std::vector<std::string>& files);

}  // namespace velmo
