#include "encode/job_outputs.h"

namespace zq48 {

bool StandInJobOutputs::FinishVariant(JobContext& context, DriverRecord&, const OutputFilter&) {
  context.state.videoFile.With([](VideoFileSlot& slot) { slot.file.Close(); });
  context.state.audioFile.With([](AudioFileSlot& slot) {
    slot.file.Close();
    slot.minimal.Close();
  });
  return true;
}

bool StandInJobOutputs::WriteMetafile(JobContext&, DriverRecord& record, const std::string&) {
  record.videoBitRates.clear();
  record.audioBitRates.clear();
  return true;
}

}  // namespace zq48
