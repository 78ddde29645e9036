#include "platform/data/internal/StoreSchema.hpp"

#include <charconv>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "platform/data/Model.hpp"
#include "platform/data/StoreDescription.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/data/ValueTransformer.hpp"
#include "platform/data/internal/Database.hpp"
#include "platform/foundation/Bytes.hpp"

namespace kelvo::data_internal {

using namespace kelvo::data;

namespace {

// Model names are letters, digits and "_" (checked when the model is built), so quoting is safe.
std::string identifier(std::string_view name) { return "\"" + std::string(name) + "\""; }

const char* declaredType(AttributeType type) {
  switch (type) {
    case AttributeType::string:
      return "TEXT";
    case AttributeType::integer64:
    case AttributeType::boolean:
      return "INTEGER";
    case AttributeType::date:
      return "REAL";
    case AttributeType::uuid:
    case AttributeType::binaryData:
    case AttributeType::transformable:
      return "BLOB";
  }
  return "BLOB";
}

std::string hexLiteral(std::span<const std::uint8_t> bytes) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text = "X'";
  for (std::uint8_t byte : bytes) {
    text.push_back(digits[byte >> 4]);
    text.push_back(digits[byte & 0xF]);
  }
  return text + "'";
}

// The SQL literal of an attribute's default, filled into existing rows when a column is added.
std::string defaultLiteral(const AttributeDescription& attribute) {
  const Value& value = *attribute.defaultValue;
  if (attribute.type == AttributeType::transformable) {
    const auto bytes = ValueTransformer::named(attribute.valueTransformerName)->encode(value);
    return hexLiteral(asBytes(*bytes));
  }
  if (const auto* text = value.string()) {
    std::string literal = "'";
    for (char c : *text) literal += c == '\'' ? std::string("''") : std::string(1, c);
    return literal + "'";
  }
  if (const auto number = value.integer()) return std::to_string(*number);
  if (const auto date = value.date()) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", date->timeIntervalSinceReferenceDate());
    return text;
  }
  if (const auto id = value.uuid()) return hexLiteral(id->bytes());
  if (const auto* bytes = value.bytes()) return hexLiteral(*bytes);
  return "NULL";
}

std::string attributeColumn(const AttributeDescription& attribute) {
  std::string column = identifier(attribute.name) + " " + declaredType(attribute.type);
  if (attribute.defaultValue) column += " DEFAULT " + defaultLiteral(attribute);
  return column;
}

std::string foreignKeyColumn(const EntityDescription& entity, unsigned relationship) {
  // Deferred, so that one save may write rows in any order.
  return identifier(entity.relationships()[relationship].name) + " INTEGER REFERENCES " +
         identifier(entity.destination(relationship).name()) + "(" +
         identifier(StoreSchema::primaryKeyColumn) +
         ") ON DELETE SET NULL DEFERRABLE INITIALLY DEFERRED";
}

std::string indexName(const EntityDescription& entity, unsigned relationship) {
  return entity.name() + "_" + entity.relationships()[relationship].name;
}

std::vector<std::string> columnNames(const EntityDescription& entity) {
  std::vector<std::string> names{StoreSchema::primaryKeyColumn};
  for (const auto& attribute : entity.attributes()) names.push_back(attribute.name);
  for (unsigned index : entity.toOneRelationships()) {
    names.push_back(entity.relationships()[index].name);
  }
  return names;
}

std::string columnList(const EntityDescription& entity) {
  std::string list;
  for (const auto& name : columnNames(entity))
    list += (list.empty() ? "" : ", ") + identifier(name);
  return list;
}

std::set<std::string> readNames(Database& database, const std::string& sql, int column) {
  std::set<std::string> names;
  Statement statement = database.prepare(sql);
  while (statement.step()) names.emplace(statement.columnText(column));
  return names;
}

std::map<std::string, std::string> readMetadata(Database& database) {
  std::map<std::string, std::string> metadata;
  Statement statement =
      database.prepare("SELECT \"key\", \"value\" FROM " + identifier(StoreSchema::metadataTable));
  while (statement.step()) {
    metadata.emplace(statement.columnText(0), statement.columnText(1));
  }
  return metadata;
}

// The statements that bring the database up to the model; empty when it is up to date.
std::vector<std::string> migrationSteps(Database& database, const Model& model) {
  std::vector<std::string> steps;
  const auto tables = readNames(database, "SELECT name FROM sqlite_schema WHERE type = 'table'", 0);
  const auto indexes =
      readNames(database, "SELECT name FROM sqlite_schema WHERE type = 'index'", 0);
  if (!tables.contains(StoreSchema::metadataTable)) {
    steps.push_back("CREATE TABLE " + identifier(StoreSchema::metadataTable) +
                    " (\"key\" TEXT PRIMARY KEY, \"value\" TEXT NOT NULL)");
  }
  for (const auto& entity : model.entities()) {
    const std::string table = identifier(entity->name());
    if (!tables.contains(entity->name())) {
      std::string sql = "CREATE TABLE " + table + " (" + identifier(StoreSchema::primaryKeyColumn) +
                        " INTEGER PRIMARY KEY";
      for (const auto& attribute : entity->attributes()) sql += ", " + attributeColumn(attribute);
      for (unsigned index : entity->toOneRelationships()) {
        sql += ", " + foreignKeyColumn(*entity, index);
      }
      steps.push_back(sql + ")");
    } else {
      const auto columns = readNames(database, "PRAGMA table_info(" + table + ")", 1);
      for (const auto& attribute : entity->attributes()) {
        if (!columns.contains(attribute.name)) {
          steps.push_back("ALTER TABLE " + table + " ADD COLUMN " + attributeColumn(attribute));
        }
      }
      for (unsigned index : entity->toOneRelationships()) {
        if (!columns.contains(entity->relationships()[index].name)) {
          steps.push_back("ALTER TABLE " + table + " ADD COLUMN " +
                          foreignKeyColumn(*entity, index));
        }
      }
    }
    for (unsigned index : entity->toOneRelationships()) {
      if (!indexes.contains(indexName(*entity, index))) {
        steps.push_back("CREATE INDEX " + identifier(indexName(*entity, index)) + " ON " + table +
                        " (" + identifier(entity->relationships()[index].name) + ")");
      }
    }
  }
  return steps;
}

// Updated in place and created only when missing, so that each key keeps one value also in a
// table that lost its primary key (rebuilt by a tool).
void writeMetadata(Database& database, const Model& model) {
  const std::string table = identifier(StoreSchema::metadataTable);
  Statement update = database.prepare("UPDATE " + table + " SET \"value\" = ?2 WHERE \"key\" = ?1");
  Statement create =
      database.prepare("INSERT INTO " + table + " (\"key\", \"value\") VALUES (?1, ?2)");
  const std::string version = std::to_string(StoreSchema::formatVersion);
  for (const auto& [key, value] :
       {std::pair<std::string_view, std::string_view>{"format", StoreSchema::format},
        {"formatVersion", version},
        {"modelVersion", model.versionHash()}}) {
    update.bindText(1, key);
    update.bindText(2, value);
    update.run();
    if (database.changes() > 0) continue;
    create.bindText(1, key);
    create.bindText(2, value);
    create.run();
  }
}

[[noreturn]] void incompatible(const StoreDescription& description, const std::string& why) {
  throw StoreError(StoreError::Kind::incompatibleStore,
                   "The store at " + description.url.string() + " " + why);
}

// Makes the tables of a new store and records its metadata, in one transaction under the write
// lock; writes nothing when another writer made them meanwhile (then its log, not this one's,
// may hold them). Whether this connection made them.
bool makeWhole(Database& database, const Model& model) {
  Transaction transaction(database);
  const auto steps = migrationSteps(database, model);
  if (steps.empty()) return false;
  for (const auto& step : steps) database.execute(step);
  writeMetadata(database, model);
  transaction.commit();
  return true;
}

}  // namespace

void StoreSchema::open(Database& database, const Model& model, const StoreDescription& description,
                       bool isFile, const std::function<void()>& beforeWriting) {
  database.execute("PRAGMA foreign_keys = ON");
  // Reading the schema is the first read of the file: a file that is not a database, or is
  // damaged, fails here, before anything is written to it.
  const auto tables = readNames(database, "SELECT name FROM sqlite_schema WHERE type = 'table'", 0);
  const bool isNew = tables.empty();
  std::string storedModelVersion;
  if (!isNew) {
    if (!tables.contains(metadataTable)) incompatible(description, "is not a store of this app.");
    const auto metadata = readMetadata(database);
    const auto found = metadata.find("format");
    if (found == metadata.end() || found->second != format) {
      incompatible(description, "is not a store of this app.");
    }
    const std::string& versionText =
        metadata.count("formatVersion") != 0 ? metadata.at("formatVersion") : std::string();
    int version = 0;
    const auto parsed =
        std::from_chars(versionText.data(), versionText.data() + versionText.size(), version);
    if (parsed.ec != std::errc() || parsed.ptr != versionText.data() + versionText.size()) {
      incompatible(description, "has an unreadable format version.");
    }
    if (version > formatVersion) incompatible(description, "was made by a newer version.");
    if (metadata.count("modelVersion") != 0) storedModelVersion = metadata.at("modelVersion");
  }
  // A commit reaches the disk before save returns.
  if (isFile) database.execute("PRAGMA synchronous = FULL");
  // A new store file is made whole before it turns to WAL: until then every writer of the file,
  // by whatever name it was opened, waits on the file's own locks, where a log beside a name is
  // read only by the connections that opened the file by that name.
  const bool created = isNew && isFile && makeWhole(database, model);
  // Another process opening the store at the same moment may hold it for a moment.
  if (isFile) database.executeWaiting("PRAGMA journal_mode = WAL");
  if (created) {
    // A read: in WAL mode, the connection holds the store and the -shm beside its name from
    // then on.
    database.execute("PRAGMA schema_version");
    if (beforeWriting) beforeWriting();
    return;
  }
  // A read, as above.
  const bool upToDate = migrationSteps(database, model).empty();
  if (beforeWriting) beforeWriting();
  if (upToDate && storedModelVersion == model.versionHash()) return;
  const bool mayMigrate = description.shouldMigrateStoreAutomatically &&
                          description.shouldInferMappingModelAutomatically;
  if (!isNew && !mayMigrate) {
    // A store that already holds everything the model stores can be used as it is.
    if (upToDate) return;
    incompatible(description, "needs a migration that its description does not allow.");
  }
  Transaction transaction(database);
  // Planned again under the write lock: another process may have migrated meanwhile.
  for (const auto& step : migrationSteps(database, model)) database.execute(step);
  writeMetadata(database, model);
  transaction.commit();
}

std::string StoreSchema::select(const EntityDescription& entity) {
  return "SELECT " + columnList(entity) + " FROM " + identifier(entity.name()) + " ORDER BY " +
         identifier(primaryKeyColumn);
}

std::string StoreSchema::selectOne(const EntityDescription& entity) {
  return "SELECT " + columnList(entity) + " FROM " + identifier(entity.name()) + " WHERE " +
         identifier(primaryKeyColumn) + " = ?1";
}

std::string StoreSchema::selectByForeignKey(const EntityDescription& entity,
                                            unsigned relationship) {
  return "SELECT " + columnList(entity) + " FROM " + identifier(entity.name()) + " WHERE " +
         identifier(entity.relationships()[relationship].name) + " = ?1";
}

std::string StoreSchema::keysByForeignKey(const EntityDescription& entity, unsigned relationship) {
  return "SELECT " + identifier(primaryKeyColumn) + " FROM " + identifier(entity.name()) +
         " WHERE " + identifier(entity.relationships()[relationship].name) + " = ?1";
}

std::string StoreSchema::foreignKeyOf(const EntityDescription& entity, unsigned relationship) {
  return "SELECT " + identifier(entity.relationships()[relationship].name) + " FROM " +
         identifier(entity.name()) + " WHERE " + identifier(primaryKeyColumn) + " = ?1";
}

std::string StoreSchema::insert(const EntityDescription& entity) {
  const auto names = columnNames(entity);
  std::string parameters;
  for (size_t i = 1; i <= names.size(); ++i) {
    parameters += (i == 1 ? "?" : ", ?") + std::to_string(i);
  }
  return "INSERT INTO " + identifier(entity.name()) + " (" + columnList(entity) + ") VALUES (" +
         parameters + ")";
}

std::string StoreSchema::update(const EntityDescription& entity) {
  const auto names = columnNames(entity);
  std::string assignments;
  for (size_t i = 1; i < names.size(); ++i) {
    assignments += (i == 1 ? "" : ", ") + identifier(names[i]) + " = ?" + std::to_string(i + 1);
  }
  if (assignments.empty()) assignments = identifier(primaryKeyColumn) + " = ?1";
  return "UPDATE " + identifier(entity.name()) + " SET " + assignments + " WHERE " +
         identifier(primaryKeyColumn) + " = ?1";
}

std::string StoreSchema::update(const EntityDescription& entity, std::uint64_t columns) {
  const auto names = columnNames(entity);
  std::string assignments;
  int parameter = 2;
  for (size_t i = 1; i < names.size() && i <= 64; ++i) {
    if ((columns >> (i - 1) & 1) == 0) continue;
    if (parameter > 2) assignments += ", ";
    assignments += identifier(names[i]) + " = ?" + std::to_string(parameter);
    ++parameter;
  }
  if (assignments.empty()) return update(entity);
  return "UPDATE " + identifier(entity.name()) + " SET " + assignments + " WHERE " +
         identifier(primaryKeyColumn) + " = ?1";
}

std::string StoreSchema::remove(const EntityDescription& entity) {
  return "DELETE FROM " + identifier(entity.name()) + " WHERE " + identifier(primaryKeyColumn) +
         " = ?1";
}

std::string StoreSchema::count(const EntityDescription& entity) {
  return "SELECT count(*) FROM " + identifier(entity.name());
}

std::string StoreSchema::maxPrimaryKey(const EntityDescription& entity) {
  return "SELECT max(" + identifier(primaryKeyColumn) + ") FROM " + identifier(entity.name());
}

std::string StoreSchema::lastKeyRecord(const EntityDescription& entity) {
  return "lastKey." + entity.name();
}

// Model names need no escaping inside a string literal either.
std::string StoreSchema::readLastKey(const EntityDescription& entity) {
  return "SELECT \"value\" FROM " + identifier(metadataTable) + " WHERE \"key\" = '" +
         lastKeyRecord(entity) + "'";
}

std::string StoreSchema::recordLastKey(const EntityDescription& entity) {
  return "UPDATE " + identifier(metadataTable) + " SET \"value\" = ?1 WHERE \"key\" = '" +
         lastKeyRecord(entity) + "'";
}

std::string StoreSchema::createLastKey(const EntityDescription& entity) {
  return "INSERT INTO " + identifier(metadataTable) + " (\"key\", \"value\") VALUES ('" +
         lastKeyRecord(entity) + "', ?1)";
}

}  // namespace kelvo::data_internal
