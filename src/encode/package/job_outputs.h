#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/job_context.h"
#include "encode/job_messages.h"
#include "encode/variant_job.h"
#include "catalog/output_filter.h"
#include "encode/package/package_resources.h"

namespace zq48 {

// What the job driver keeps about the input file in progress; the finishing
// steps read it and fill the bit-rate lists.
struct DriverRecord {
  int sourceKind = kSourceNone;  // of the current variant
  int largestWidth = 0;          // of the file's variants so far (page size)
  int largestHeight = 0;
  std::vector<std::uint32_t> videoBitRates;  // measured, bits per second, in variant order
  std::vector<std::uint32_t> audioBitRates;
};

// The steps that turn encoded streams into the output package. They run on
// the job driver's thread; each reports its own failures to the user first
// and then returns false.
class JobOutputs {
 public:
  virtual ~JobOutputs() = default;
  // Measures, finishes and renames the two stream files of a variant.
  virtual bool FinishVariant(JobContext& context, VariantJob& variant, DriverRecord& record) = 0;
  virtual bool WriteWebPage(JobContext& context, const DriverRecord& record,
                            const std::string& sourcePath) = 0;
  // Writes the metafile of the file and empties the bit-rate lists.
  virtual bool WriteMetafile(JobContext& context, DriverRecord& record,
                             const std::string& sourcePath) = 0;
  virtual bool WriteResourceFile(JobContext& context, PackageResource resource) = 0;
};

// The real steps: stream finishing, web page, metafile and package resources,
// each defined beside the work it does.
class PackageOutputs : public JobOutputs {
 public:
  bool FinishVariant(JobContext& context, VariantJob& variant, DriverRecord& record) override;
  bool WriteWebPage(JobContext& context, const DriverRecord& record,
                    const std::string& sourcePath) override;
  bool WriteMetafile(JobContext& context, DriverRecord& record, const std::string& path) override;
  bool WriteResourceFile(JobContext& context, PackageResource resource) override;
};

}  // namespace zq48
