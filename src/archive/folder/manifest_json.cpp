#include "archive/folder/manifest_json.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include <nlohmann/json.hpp>

#include "ids/sound_id.h"
#include "io/file.h"

namespace sonkrate::archive {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::uint64_t kMaxManifestSize = 256u << 20;
constexpr int kMaxDepth = 32;

// The shortest decimal that reads back as the same float, so that 1.5 stays
// 1.5 and 0.1f is written 0.1. A value beyond a float's range stays as it
// is (pack refuses it with its row).
Json floatJson(double value) {
    if (!std::isfinite(value)) return nullptr;
    if (std::fabs(value) > std::numeric_limits<float>::max()) return value;
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    if (ec != std::errc()) return value;
    return std::strtod(std::string(text, end).c_str(), nullptr);
}

Json soundJson(const ManifestSound& s) {
    Json row = Json::object();
    row["record"] = s.record ? Json(*s.record) : Json(nullptr);
    row["soundId"] = s.soundId ? Json(ids::formatSoundId(*s.soundId)) : Json(nullptr);
    row["name"] = s.name ? Json(*s.name) : Json(nullptr);
    row["file"] = s.file;
    row["attenuation"] = s.attenuation ? floatJson(*s.attenuation) : Json(nullptr);
    row["masterVolume"] = s.masterVolume ? floatJson(*s.masterVolume) : Json(nullptr);
    if (s.captions) {
        Json sections = Json::array();
        for (const ManifestSection& c : *s.captions)
            sections.push_back(Json{{"seconds", c.fifths / 5.0}, {"text", c.text}});
        row["captions"] = sections;
    } else {
        row["captions"] = nullptr;
    }
    row["sharesImageWith"] = s.sharesImageWith ? Json(ids::formatSoundId(*s.sharesImageWith)) : Json(nullptr);
    if (s.format) {
        row["format"] = Json{{"sampleRate", s.format->sampleRate},       {"channels", s.format->channels},
                             {"bitsPerSample", s.format->bitsPerSample}, {"compression", s.format->compression},
                             {"blockAlign", s.format->blockAlign}};
    } else {
        row["format"] = nullptr;
    }
    row["hash"] = s.hash;
    return row;
}

// Finds where JSON text stops being JSON, without exceptions: the byte
// position of the first error and the parser's words for it.
class SyntaxCheck : public nlohmann::json_sax<Json> {
public:
    std::size_t position = 0;
    std::string message;
    bool tooDeep = false;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return enter(); }
    bool key(string_t&) override { return true; }
    bool end_object() override { return leave(); }
    bool start_array(std::size_t) override { return enter(); }
    bool end_array() override { return leave(); }
    bool parse_error(std::size_t at, const std::string&, const nlohmann::detail::exception& error) override {
        position = at;
        message = error.what();
        return false;
    }

private:
    int depth_ = 0;
    bool enter() {
        tooDeep = ++depth_ > kMaxDepth;
        return !tooDeep;
    }
    bool leave() {
        --depth_;
        return true;
    }
};

io::Outcome syntaxError(const std::string& text, const std::string& path, const SyntaxCheck& check) {
    if (check.tooDeep)
        return io::failure(path + " is not a manifest: its values are nested more than " + std::to_string(kMaxDepth) +
                           " deep");
    const std::size_t at = std::min(check.position > 0 ? check.position - 1 : 0, text.size());
    std::size_t line = 1, lineStart = 0;
    for (std::size_t i = 0; i < at; ++i)
        if (text[i] == '\n') ++line, lineStart = i + 1;
    std::string words = check.message;
    if (std::size_t colon = words.find(": "); colon != std::string::npos) words = words.substr(colon + 2);
    return io::failure(path + " is not valid JSON at line " + std::to_string(line) + ", column " +
                       std::to_string(at - lineStart + 1) + ": " + words);
}

// Reads the keys of one object, each checked for its type, into values;
// the first wrong key is kept as a sentence.
struct Reader {
    const Json& object;
    std::string where;  // "<path>, row 3 of sounds"
    std::string error;

    const Json* find(const char* key) const {
        auto it = object.find(key);
        return it == object.end() ? nullptr : &*it;
    }
    bool fail(const std::string& key, const std::string& what) {
        if (error.empty()) error = where + ": \"" + key + "\" " + what;
        return false;
    }
    template <typename T>
    bool unsignedValue(const char* key, T& out, bool required) {
        const Json* v = find(key);
        if (v == nullptr || v->is_null()) return required ? fail(key, "is missing") : true;
        if (!v->is_number_unsigned() && !(v->is_number_integer() && v->get<std::int64_t>() >= 0))
            return fail(key, "must be a whole number of 0 or more");
        const std::uint64_t n = v->get<std::uint64_t>();
        if (n > std::numeric_limits<T>::max()) return fail(key, "is too large");
        out = static_cast<T>(n);
        return true;
    }
    bool optionalUnsigned(const char* key, std::optional<std::uint32_t>& out) {
        const Json* v = find(key);
        if (v == nullptr || v->is_null()) return true;
        std::uint32_t n = 0;
        if (!unsignedValue(key, n, true)) return false;
        out = n;
        return true;
    }
    bool text(const char* key, std::string& out, bool required) {
        const Json* v = find(key);
        if (v == nullptr || v->is_null()) return required ? fail(key, "is missing") : true;
        if (!v->is_string()) return fail(key, "must be a string");
        out = v->get<std::string>();
        return true;
    }
    bool optionalText(const char* key, std::optional<std::string>& out) {
        const Json* v = find(key);
        if (v == nullptr || v->is_null()) return true;
        if (!v->is_string()) return fail(key, "must be a string or null");
        out = v->get<std::string>();
        return true;
    }
    bool number(const char* key, std::optional<double>& out) {
        const Json* v = find(key);
        if (v == nullptr || v->is_null()) return true;
        if (!v->is_number()) return fail(key, "must be a number or null");
        out = v->get<double>();
        return true;
    }
    bool soundId(const char* key, std::optional<std::uint32_t>& out) {
        const Json* v = find(key);
        if (v == nullptr || v->is_null()) return true;
        std::optional<ids::SoundId> id;
        if (v->is_string()) id = ids::parseSoundId(v->get<std::string>());
        if (!id) return fail(key, "must be 8 hexadecimal digits in quotes, or null");
        out = *id;
        return true;
    }
};

bool readSections(Reader& r, std::optional<std::vector<ManifestSection>>& out) {
    const Json* v = r.find("captions");
    if (v == nullptr || v->is_null()) return true;
    if (!v->is_array()) return r.fail("captions", "must be null or an array of {\"seconds\": ..., \"text\": ...}");
    std::vector<ManifestSection> sections;
    for (const Json& item : *v) {
        auto seconds = item.find("seconds");
        auto text = item.find("text");
        if (!item.is_object() || seconds == item.end() || !seconds->is_number() || text == item.end() ||
            !text->is_string())
            return r.fail("captions", "must hold objects with a number \"seconds\" and a string \"text\"");
        const double s = seconds->get<double>();
        if (!std::isfinite(s) || s < 0 || s * 5 > std::numeric_limits<std::uint32_t>::max())
            return r.fail("captions", "has a section whose \"seconds\" is below 0 or too large");
        sections.push_back({static_cast<std::uint32_t>(std::lround(s * 5)), text->get<std::string>()});
    }
    out = std::move(sections);
    return true;
}

bool readFormat(Reader& r, std::optional<ManifestFormat>& out) {
    const Json* v = r.find("format");
    if (v == nullptr || v->is_null()) return true;
    if (!v->is_object()) return r.fail("format", "must be an object or null");
    Reader f{*v, r.where + ", its format", {}};
    ManifestFormat format;
    f.unsignedValue("sampleRate", format.sampleRate, false);
    f.unsignedValue("channels", format.channels, false);
    f.unsignedValue("bitsPerSample", format.bitsPerSample, false);
    f.text("compression", format.compression, false);
    f.unsignedValue("blockAlign", format.blockAlign, false);
    if (!f.error.empty()) {
        r.error = f.error;
        return false;
    }
    out = format;
    return true;
}

bool readSound(const Json& row, const std::string& where, ManifestSound& s, std::string& error) {
    if (!row.is_object()) {
        error = where + " is not an object";
        return false;
    }
    Reader r{row, where, {}};
    r.optionalUnsigned("record", s.record);
    r.soundId("soundId", s.soundId);
    r.optionalText("name", s.name);
    r.text("file", s.file, true);
    r.number("attenuation", s.attenuation);
    r.number("masterVolume", s.masterVolume);
    readSections(r, s.captions);
    r.soundId("sharesImageWith", s.sharesImageWith);
    readFormat(r, s.format);
    r.text("hash", s.hash, false);
    error = r.error;
    return error.empty();
}

io::Outcome readTop(const Json& doc, const std::string& path, Manifest& m) {
    if (!doc.is_object()) return io::failure(path + " is not a manifest: it must hold one JSON object");
    Reader r{doc, path, {}};
    std::uint32_t version = 0;
    r.unsignedValue("version", version, true);
    if (r.error.empty() && version != kManifestVersion)
        return io::failure(path + " is a manifest of version " + std::to_string(version) +
                           ", which this version of Sonkrate does not read (it reads version " +
                           std::to_string(kManifestVersion) + ")");
    m.version = static_cast<int>(version);
    r.text("archive", m.archive, false);
    r.text("form", m.form, false);
    r.text("class", m.archiveClass, false);
    r.unsignedValue("layoutTag", m.layoutTag, true);
    r.unsignedValue("soundCount", m.soundCount, true);
    r.unsignedValue("entryCount", m.entryCount, true);
    r.unsignedValue("trailerFlag", m.trailerFlag, true);
    r.unsignedValue("soundDataEnd", m.soundDataEnd, true);
    r.unsignedValue("fileSize", m.fileSize, true);
    if (!r.error.empty()) return io::failure(r.error);
    m.originals.clear();
    if (auto originals = doc.find("originals"); originals != doc.end() && !originals->is_null()) {
        if (!originals->is_object())
            return io::failure(path + ": \"originals\" must be an object of file names and their hashes");
        for (auto it = originals->begin(); it != originals->end(); ++it) {
            if (!it.value().is_string())
                return io::failure(path + ": \"originals\" gives " + it.key() + " a hash that is not a string");
            m.originals.emplace_back(it.key(), it.value().get<std::string>());
        }
    }
    auto sounds = doc.find("sounds");
    if (sounds == doc.end() || !sounds->is_array())
        return io::failure(path + ": \"sounds\" must be an array with one object per sound");
    m.sounds.clear();
    m.sounds.reserve(sounds->size());
    for (std::size_t i = 0; i < sounds->size(); ++i) {
        ManifestSound s;
        std::string error;
        if (!readSound((*sounds)[i], path + ", row " + std::to_string(i + 1) + " of \"sounds\"", s, error))
            return io::failure(error);
        m.sounds.push_back(std::move(s));
    }
    return io::success();
}

}  // namespace

std::string writeManifestJson(const Manifest& m) {
    Json doc = Json::object();
    doc["version"] = m.version;
    doc["archive"] = m.archive;
    doc["form"] = m.form;
    doc["class"] = m.archiveClass;
    doc["layoutTag"] = m.layoutTag;
    doc["soundCount"] = m.soundCount;
    doc["entryCount"] = m.entryCount;
    doc["trailerFlag"] = m.trailerFlag;
    doc["soundDataEnd"] = m.soundDataEnd;
    doc["fileSize"] = m.fileSize;
    doc["hashAlgorithm"] = "xxh64";
    Json sounds = Json::array();
    for (const ManifestSound& s : m.sounds) sounds.push_back(soundJson(s));
    doc["sounds"] = std::move(sounds);
    if (!m.originals.empty()) {
        Json originals = Json::object();
        for (const auto& [name, hash] : m.originals) originals[name] = hash;
        doc["originals"] = std::move(originals);
    }
    // Text that is not UTF-8 is written with U+FFFD rather than thrown over.
    return doc.dump(2, ' ', false, nlohmann::detail::error_handler_t::replace) + "\n";
}

io::Outcome readManifestJson(const std::string& text, const std::string& path, Manifest& manifest) {
    // Nesting is checked first: the parser would otherwise follow it as deep as it goes.
    SyntaxCheck check;
    if (!Json::sax_parse(text, &check, nlohmann::detail::input_format_t::json, true))
        return syntaxError(text, path, check);
    Json doc = Json::parse(text, nullptr, false);
    if (doc.is_discarded()) return io::failure(path + " is not valid JSON");
    return readTop(doc, path, manifest);
}

io::Outcome readManifestFile(const std::string& path, Manifest& manifest) {
    io::File in;
    if (io::Outcome opened = in.open(path, io::FileMode::ReadNoLink); !opened) return opened;
    const std::uint64_t size = in.size();
    if (size > kMaxManifestSize)
        return io::failure(path + " is " + std::to_string(size) + " bytes long, more than a manifest can be");
    std::string text(static_cast<std::size_t>(size), '\0');
    if (io::Outcome read = in.readExact(text.data(), text.size()); !read) return read;
    return readManifestJson(text, path, manifest);
}

}  // namespace sonkrate::archive
