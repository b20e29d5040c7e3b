#include "encode/package/job_outputs.h"

#include "container/metafile.h"

namespace zq48 {

// The steps live with their work: FinishVariant in finish_variant.cpp,
// WriteWebPage in web_package.cpp, WriteResourceFile in package_resources.cpp.
// The metafile's format is the container's; this step names it and fills it
// from the driver's record.

bool PackageOutputs::WriteMetafile(JobContext& context, DriverRecord& record,
                                   const std::string& sourcePath) {
  const Metafile rates{record.videoBitRates, record.audioBitRates};
  // The next input file starts with empty lists, whatever happens here.
  record.videoBitRates.clear();
  record.audioBitRates.clear();
  const std::string folder = context.state.snapshot.With(
      [](const JobSnapshot& s) { return s.catalog.Settings().destinationFolder(); });
  if (auto failure = zq48::WriteMetafile(MetafileName(folder, sourcePath, false), rates)) {
    context.notifier.ShowApp(*failure);
    return false;
  }
  return true;
}

}  // namespace zq48
