#include "encode/job_outputs.h"

#include "encode/finish_variant.h"
#include "encode/metafile.h"
#include "encode/web_package.h"

namespace zq48 {

bool PackageOutputs::FinishVariant(JobContext& context, DriverRecord& record,
                                   const OutputFilter& filter) {
  return zq48::FinishVariant(context, record, filter);
}

bool PackageOutputs::WriteWebPage(JobContext& context, const DriverRecord& record,
                                  const std::string& sourcePath) {
  return zq48::WriteWebPage(context, record, sourcePath);
}

bool PackageOutputs::WriteMetafile(JobContext& context, DriverRecord& record,
                                   const std::string& path) {
  return zq48::WriteMetafile(context, record, path);
}

bool PackageOutputs::WriteResourceFile(JobContext& context, PackageResource resource) {
  return zq48::WriteResourceFile(context, resource);
}

}  // namespace zq48
