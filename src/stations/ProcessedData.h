#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "framework/LocalTime.h"
#include "framework/Serializable.h"

namespace svu {

class Archive;
class FieldVisitor;
class WeatherStation;

/// A derived channel: computed from other channels of its station after every reading.
/// Derived object k of a station produces channel rawChannelCount + k.
class ProcessedData : public Serializable {
public:
    static constexpr uint16_t kSchema = 1;
    static constexpr int kTypeCount = 22;

    ~ProcessedData() override = default;

    uint16_t Schema() const override { return kSchema; }
    /// Base record (name, typeCode, owning-station reference) followed by the kind's own fields.
    void Serialize(Archive& ar) override;

    /// Discards accumulated state (windows, daily totals, extremes).
    virtual void Reset() {}
    /// A copy with the same settings, station link and run-time state.
    virtual std::unique_ptr<ProcessedData> Clone() const = 0;
    /// The channel at `index` of the owning station was deleted / a channel was inserted there.
    /// Every channel reference of the kind follows its physical channel.
    virtual void OnChannelDeleted(int index);
    virtual void OnChannelInserted(int index);
    /// Computes and writes the value text of channel `outputChannel` of the owning station.
    /// Called with the station's lock held.
    virtual void Calculate(int outputChannel) = 0;
    /// A station is about to be destroyed: links to it are dropped (only the channel ratio has any).
    virtual void OnStationRemoved(const WeatherStation& removed) {}
    /// The kind's own fields, in record order (after the base fields); drives the binary record and
    /// the text form of the station file.
    virtual void VisitFields(FieldVisitor& v) = 0;

    /// A reference to a station (not owned) that a kind keeps besides its owner, with its field name.
    struct StationLink {
        const char* name = nullptr;
        WeatherStation** target = nullptr;
    };
    /// The kind's link to another station (the channel ratio's remoteStation), so the text form of
    /// the station file can write it as that station's position in the list; none by default.
    virtual StationLink LinkedStation() { return {}; }

    std::string name;
    uint32_t typeCode = 0;
    WeatherStation* station = nullptr;  // owner; not owned

protected:
    /// Up to three channel references of the owning station, for the shared index maintenance.
    struct References {
        int32_t* refs[3] = {nullptr, nullptr, nullptr};
        int count = 0;
    };

    ProcessedData(WeatherStation* owner, uint32_t type);
    ProcessedData(const ProcessedData&) = default;
    ProcessedData& operator=(const ProcessedData&) = default;

    /// Writes or reads the kind's own fields, after the base fields. By default through VisitFields.
    virtual void SerializeFields(Archive& ar);
    /// The channel references that follow deletions and insertions.
    virtual References ChannelReferences() { return {}; }

    /// The value text of channel `ref` of the owning station, or nullptr when the reference is
    /// unusable (-1, outside the channel count or past the value table).
    const std::string* SourceText(int32_t ref) const;
    /// The number of that text (AtoF's result, converted at most once per reading), or nothing when
    /// the reference is unusable.
    std::optional<double> SourceNumber(int32_t ref) const;
    /// The owning station's reading time (the time of the reading being processed).
    TimeT ReadingTime() const;
    /// Writes `value` with "%.5G"; a non-finite value writes nothing.
    void WriteNumber(int outputChannel, double value);
    /// Writes the text as it stands.
    void WriteText(int outputChannel, std::string_view text);
};

/// "Data%i" with the smallest i (from 1) that no derived channel of `station` is named.
std::string DefaultDerivedName(const WeatherStation& station);

/// Index maintenance shared by every kind: a reference equal to a deleted index becomes -1, a larger one
/// moves down; on insertion a reference at or above the index moves up.
void AdjustForDeletion(int32_t& reference, int deletedIndex);
void AdjustForInsertion(int32_t& reference, int insertedIndex);

/// The value text of a usable channel of any station, or nullptr. The caller holds the station's lock.
const std::string* ChannelText(const WeatherStation& station, int32_t channel);

}  // namespace svu
