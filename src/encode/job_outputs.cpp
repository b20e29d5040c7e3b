#include "encode/job_outputs.h"

#include "encode/finish_variant.h"
#include "encode/metafile.h"
#include "encode/web_package.h"
#include "encode/web_player_page.h"

namespace zq48 {

bool PackageOutputs::FinishVariant(JobContext& context, DriverRecord& record,
                                   const OutputFilter& filter) {
  return zq48::FinishVariant(context, record, filter);
}

bool PackageOutputs::WriteWebPage(JobContext& context, const DriverRecord& record,
                                  const std::string& sourcePath) {
  bool ok = zq48::WriteWebPage(context, record, sourcePath);
  // The page for today's browsers reports its own failure; the applet page decides the result.
  WriteWebPlayPage(context, record, sourcePath);
  return ok;
}

bool PackageOutputs::WriteMetafile(JobContext& context, DriverRecord& record,
                                   const std::string& path) {
  return zq48::WriteMetafile(context, record, path);
}

bool PackageOutputs::WriteResourceFile(JobContext& context, PackageResource resource) {
  bool ok = zq48::WriteResourceFile(context, resource);
  // The script of the page for today's browsers goes with the archive, and reports its own failure.
  if (resource == PackageResource::PlayerArchive) WriteWebPlayer(context);
  return ok;
}

}  // namespace zq48
