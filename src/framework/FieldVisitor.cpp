#include "framework/FieldVisitor.h"

#include "framework/Archive.h"

namespace svu {

ArchiveFieldVisitor::ArchiveFieldVisitor(Archive& ar, int currentSchema)
    : ar_(ar), schema_(ar.IsLoading() ? ar.ObjectSchema() : currentSchema) {}

bool ArchiveFieldVisitor::IsLoading() const { return ar_.IsLoading(); }
int ArchiveFieldVisitor::Schema() const { return schema_; }

void ArchiveFieldVisitor::Int32(const char*, int32_t& v) { ar_.Field(v); }
void ArchiveFieldVisitor::UInt32(const char*, uint32_t& v) { ar_.Field(v); }
void ArchiveFieldVisitor::UInt16(const char*, uint16_t& v) { ar_.Field(v); }
void ArchiveFieldVisitor::UInt8(const char*, uint8_t& v) { ar_.Field(v); }
void ArchiveFieldVisitor::Bool32(const char*, int32_t& v) { ar_.Field(v); }
void ArchiveFieldVisitor::Float(const char*, float& v) { ar_.Field(v); }
void ArchiveFieldVisitor::Double(const char*, double& v) { ar_.Field(v); }
void ArchiveFieldVisitor::String(const char*, std::string& v) { ar_.Field(v); }
void ArchiveFieldVisitor::UInt32Array(const char*, std::vector<uint32_t>& v) { ar_.DWordArray(v); }
void ArchiveFieldVisitor::FloatBitsArray(const char*, std::vector<uint32_t>& v) { ar_.DWordArray(v); }
void ArchiveFieldVisitor::StringArray(const char*, std::vector<std::string>& v) { ar_.StringArray(v); }

}  // namespace svu
