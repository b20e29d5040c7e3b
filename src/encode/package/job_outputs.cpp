#include "encode/package/job_outputs.h"

#include <cstdlib>

#include "encode/package/finish_variant.h"
#include "container/metafile.h"
#include "encode/package/web_package.h"
#include "encode/package/web_player_page.h"

namespace zq48 {

namespace {

// The driver keeps the measured rates as decimal texts.
std::vector<std::uint32_t> RateValues(const std::vector<std::string>& texts) {
  std::vector<std::uint32_t> out;
  for (const std::string& t : texts) out.push_back(static_cast<std::uint32_t>(std::strtoul(t.c_str(), nullptr, 10)));
  return out;
}

}  // namespace

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
                                   const std::string& sourcePath) {
  const Metafile rates{RateValues(record.videoBitRates), RateValues(record.audioBitRates)};
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

bool PackageOutputs::WriteResourceFile(JobContext& context, PackageResource resource) {
  bool ok = zq48::WriteResourceFile(context, resource);
  // The script of the page for today's browsers goes with the archive, and reports its own failure.
  if (resource == PackageResource::PlayerArchive) WriteWebPlayer(context);
  return ok;
}

}  // namespace zq48
