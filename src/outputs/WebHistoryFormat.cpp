#include "outputs/WebHistoryFormat.h"

#include <charconv>

#include <nlohmann/json.hpp>

#include "outputs/WebHistory.h"
#include "outputs/WebRequestParsing.h"

namespace svu {

namespace {

constexpr std::size_t kMaxAskedChannels = 1024;
constexpr TimeT kDefaultSpan = 24 * 3600;

bool IsIndex(const std::string& text) {
    return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

/// A value as JSON or CSV writes it: the shortest exact decimal, or nothing for no number.
void AppendNumber(std::string& out, std::string_view field, const char* none) {
    const std::optional<double> value = ParseChannelNumber(field);
    if (!value) {
        out += none;
        return;
    }
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, *value).ptr;
    out.append(text, end);
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

std::string JsonText(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::optional<HistoryQuery> ParseHistoryQuery(const ParamLookup& param, TimeT now, int maxDays, std::string& error) {
    HistoryQuery query;
    const std::optional<std::string> station = param("station");
    if (!station || station->empty()) {
        error = "the station parameter is required: /api/history?station=NAME";
        return std::nullopt;
    }
    query.station = *station;
    query.to = now;
    if (const auto to = param("to")) {
        const std::optional<TimeT> time = ParseIsoTime(*to);
        if (!time) {
            error = "to: not a time; write it as 2026-12-06T10:00:00Z, with an offset, or as local time";
            return std::nullopt;
        }
        query.to = *time;
    }
    query.from = query.to - kDefaultSpan;
    if (const auto from = param("from")) {
        const std::optional<TimeT> time = ParseIsoTime(*from);
        if (!time) {
            error = "from: not a time; write it as 2026-12-06T10:00:00Z, with an offset, or as local time";
            return std::nullopt;
        }
        query.from = *time;
    }
    if (query.from > query.to) {
        error = "from is after to";
        return std::nullopt;
    }
    if (query.to - query.from > static_cast<TimeT>(maxDays) * 86400) {
        error = "the period is longer than " + std::to_string(maxDays) + " days; ask for a shorter one";
        return std::nullopt;
    }
    if (const auto channels = param("channels")) {
        auto list = SplitCommaList(*channels, kMaxAskedChannels);
        if (!list) {
            error = "channels: more than " + std::to_string(kMaxAskedChannels) + " channels asked for";
            return std::nullopt;
        }
        query.channels = std::move(*list);
    }
    const std::string format = param("format").value_or("json");
    if (format != "json" && format != "csv") {
        error = "format: json or csv";
        return std::nullopt;
    }
    query.csv = format == "csv";
    return query;
}

std::optional<std::vector<HistoryColumn>> MatchHistoryColumns(const std::vector<std::string>& asked,
                                                              const std::vector<std::string>& names,
                                                              std::string& error) {
    std::vector<HistoryColumn> columns;
    if (asked.empty()) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            columns.push_back({static_cast<int>(i), names[i]});
        }
        return columns;
    }
    for (const std::string& item : asked) {
        HistoryColumn column;
        if (IsIndex(item)) {
            column.column = std::stoi(item);
            if (static_cast<std::size_t>(column.column) < names.size()) {
                column.name = names[column.column];
            } else if (!names.empty()) {
                error = "channels: the log has no column " + item;
                return std::nullopt;
            }
        } else {
            for (std::size_t i = 0; i < names.size() && column.column < 0; ++i) {
                if (names[i] == item) {
                    column.column = static_cast<int>(i);
                }
            }
            for (std::size_t i = 0; i < names.size() && column.column < 0; ++i) {
                if (Lower(names[i]) == Lower(item)) {
                    column.column = static_cast<int>(i);
                }
            }
            if (column.column < 0 && !names.empty()) {
                error = "channels: the log has no column named \"" + item + "\"";
                return std::nullopt;
            }
            column.name = column.column >= 0 ? names[column.column] : item;
        }
        columns.push_back(std::move(column));
    }
    return columns;
}

std::string HistoryJson(const HistoryQuery& query, const std::vector<HistoryColumn>& columns,
                        const HistoryRecords& records) {
    std::string out = "{\"station\":" + JsonText(query.station) + ",\"from\":\"" + FormatIsoTime(query.from) +
                      "\",\"to\":\"" + FormatIsoTime(query.to) + "\",\"channels\":[";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out += i > 0 ? "," : "";
        out += "{\"column\":" + std::to_string(columns[i].column) +
               ",\"name\":" + (columns[i].name ? JsonText(*columns[i].name) : std::string("null")) + "}";
    }
    out += "],\"records\":[";
    for (std::size_t r = 0; r < records.Count(); ++r) {
        out += r > 0 ? ",{\"time\":\"" : "{\"time\":\"";
        out += FormatIsoTime(records.Time(r));
        out += "\",\"values\":[";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            out += i > 0 ? "," : "";
            AppendNumber(out, columns[i].column >= 0 ? records.Field(r, columns[i].column) : std::string_view(), "null");
        }
        out += "]}";
    }
    out += "]}";
    return out;
}

std::string HistoryCsv(const std::vector<HistoryColumn>& columns, const HistoryRecords& records) {
    std::string out = "time";
    for (const HistoryColumn& column : columns) {
        out += "," + CsvField(column.name.value_or(std::to_string(column.column)));
    }
    out += "\r\n";
    for (std::size_t r = 0; r < records.Count(); ++r) {
        out += FormatIsoTime(records.Time(r));
        for (const HistoryColumn& column : columns) {
            out += ',';
            AppendNumber(out, column.column >= 0 ? records.Field(r, column.column) : std::string_view(), "");
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace svu
