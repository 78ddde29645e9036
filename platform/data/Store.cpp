#include "platform/data/Store.hpp"

#include <sqlite3.h>
#include <unistd.h>

#include <bit>
#include <optional>
#include <system_error>

#include "platform/data/EntityDescription.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/data/Model.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/data/ValueTransformer.hpp"
#include "platform/data/internal/ManagedObjectAccess.hpp"
#include "platform/data/internal/StoreSchema.hpp"
#include "platform/data/internal/StoreStatements.hpp"
#include "platform/foundation/Bytes.hpp"

namespace kelvo::data {

using data_internal::Database;
using data_internal::ManagedObjectAccess;
using data_internal::Statement;
using data_internal::StoreSchema;

namespace {

using Access = ManagedObjectAccess;

std::string databasePath(const StoreDescription& description) {
  if (description.isInMemory()) return ":memory:";
  if (description.url.empty()) {
    throw StoreError(StoreError::Kind::incompatibleStore, "A SQLite store needs a file URL.");
  }
  return description.url.string();
}

// Decodes a column by its storage class into the object's slot, with no value in between; a
// class the attribute does not store (a damaged or foreign row) still decodes, as a value the
// typed readers turn into their defaults.
void decode(const Statement& row, int column, const AttributeDescription& attribute,
            ValueSlot& slot) {
  switch (row.columnType(column)) {
    case Statement::ColumnType::null:
      slot = std::nullopt;
      return;
    case Statement::ColumnType::integer:
      slot = Value(row.columnInt64(column));
      return;
    case Statement::ColumnType::real:
      slot = Value(Date(row.columnDouble(column)));
      return;
    case Statement::ColumnType::text:
      if (attribute.type != AttributeType::transformable) {
        slot = Value(row.columnText(column));
        return;
      }
      [[fallthrough]];
    case Statement::ColumnType::blob: {
      const auto bytes = row.columnBlob(column);
      if (attribute.type == AttributeType::transformable) {
        slot = ValueTransformer::named(attribute.valueTransformerName)->decode(bytes);
      } else if (attribute.type == AttributeType::uuid && bytes.size() == 16) {
        UUID::Bytes id;
        std::copy(bytes.begin(), bytes.end(), id.begin());
        slot = Value(UUID(id));
      } else {
        slot = Value(Bytes(bytes.begin(), bytes.end()));
      }
      return;
    }
  }
  slot = std::nullopt;
}

}  // namespace

Store::Statements::Statements(Database& database, const EntityDescription& entity)
    : select(database, entity, &StoreSchema::select),
      selectOne(database, entity, &StoreSchema::selectOne),
      insert(database, entity, &StoreSchema::insert),
      update(database, entity, &StoreSchema::update),
      remove(database, entity, &StoreSchema::remove),
      count(database, entity, &StoreSchema::count),
      maxPrimaryKey(database, entity, &StoreSchema::maxPrimaryKey),
      lastKey(database, entity, &StoreSchema::readLastKey),
      recordLastKey(database, entity, &StoreSchema::recordLastKey),
      createLastKey(database, entity, &StoreSchema::createLastKey) {
  byForeignKey.resize(entity.relationships().size());
}

namespace {

// The nearest of `folder` and the folders above it that exists, when that is not a folder: a
// store cannot be opened below a plain file.
std::optional<std::filesystem::path> fileInPlaceOfFolder(const std::filesystem::path& folder) {
  std::error_code ignored;
  for (auto path = folder; !path.empty(); path = path.parent_path()) {
    const auto status = std::filesystem::status(path, ignored);
    if (std::filesystem::exists(status)) {
      if (std::filesystem::is_directory(status)) return std::nullopt;
      return path;
    }
    if (path == path.parent_path()) break;
  }
  return std::nullopt;
}

// SQLite's account of a failed open says what went wrong, not to which file or what to do:
// the failures a user can meet get a sentence that names the file or its folder.
[[noreturn]] void refuseOpen(const StoreDescription& description, const StoreError& error) {
  const std::string file = description.url.string();
  const std::string folder = std::filesystem::absolute(description.url).parent_path().string();
  const auto refusal = [&](StoreError::Kind kind, const std::string& message) {
    return StoreError(kind, message, error.extendedCode());
  };
  // Bytes that are no SQLite database at all are no store of ours; the connection has already
  // told damage found further in as such.
  if (error.extendedCode() == SQLITE_NOTADB) {
    throw refusal(StoreError::Kind::incompatibleStore,
                  "The store at " + file + " is not a store of this app.");
  }
  if (error.kind() != StoreError::Kind::sqlite) throw error;
  const auto cannotOpen = [&](const std::string& why) {
    return refusal(error.kind(), "Could not open the store at " + file + ": " + why);
  };
  std::error_code ignored;
  switch (error.extendedCode()) {
    case SQLITE_CANTOPEN:
      if (std::filesystem::is_directory(description.url, ignored)) {
        throw cannotOpen("it is a folder, not a file.");
      }
      if (const auto plainFile = fileInPlaceOfFolder(folder)) {
        throw cannotOpen(plainFile->string() + " is a file, not a folder.");
      }
      if (!std::filesystem::is_directory(folder, ignored)) {
        throw cannotOpen("its folder " + folder + " does not exist.");
      }
      // A new store's file cannot be made there.
      if (!std::filesystem::exists(description.url, ignored) &&
          ::access(folder.c_str(), W_OK) != 0) {
        throw cannotOpen("its folder " + folder + " is read-only.");
      }
      break;
    case SQLITE_READONLY_DIRECTORY:
      // A store writes beside its file (the write-ahead log) even to be read.
      throw cannotOpen("its folder " + folder + " is read-only.");
    default:
      if (!Database::isReadOnly(error.extendedCode())) break;
      if (const auto companions = Database::readOnlyCompanions(file); !companions.empty()) {
        throw cannotOpen(companions);
      }
      throw cannotOpen("the file is read-only.");
  }
  throw error;
}

}  // namespace

Store::Store(const StoreDescription& description, const Model& model) : description_(description) {
  try {
    database_ = std::make_unique<Database>(databasePath(description));
    StoreSchema::open(*database_, model, description_, !description_.isInMemory());
  } catch (const StoreError& error) {
    if (description_.isInMemory()) throw;
    refuseOpen(description_, error);
  }
  statements_.resize(model.entities().size());
}

Store::~Store() {
  // Statements go before the connection closes.
  statements_.clear();
}

// Compiled when an entity's table is first used: a library opened to read its cards need not
// compile the statements of every other table.
Store::Statements& Store::statements(const EntityDescription& entity) {
  auto& statements = statements_[entity.index()];
  if (statements == nullptr) statements = std::make_unique<Statements>(*database_, entity);
  return *statements;
}

std::int64_t Store::primaryKey(const Statement& row) { return row.columnInt64(0); }

void Store::read(const Statement& row, ManagedObject& object,
                 std::vector<std::int64_t>& foreignKeys) {
  const auto& attributes = object.entity().attributes();
  int column = 1;
  for (std::size_t i = 0; i < attributes.size(); ++i, ++column) {
    decode(row, column, attributes[i], Access::attributes(object)[i]);
  }
  foreignKeys.clear();
  for (std::size_t i = 0; i < object.entity().toOneRelationships().size(); ++i, ++column) {
    const bool isKey = row.columnType(column) == Statement::ColumnType::integer;
    foreignKeys.push_back(isKey ? row.columnInt64(column) : 0);
  }
}

namespace {

void bindValue(Statement& statement, int parameter, const AttributeDescription& attribute,
               const ValueSlot& value, std::vector<std::string>& scratch) {
  if (!value) {
    statement.bindNull(parameter);
  } else if (attribute.type == AttributeType::transformable) {
    const auto* transformer = ValueTransformer::named(attribute.valueTransformerName);
    auto encoded = transformer->encode(*value);
    if (!encoded) {
      statement.bindNull(parameter);
      return;
    }
    scratch.push_back(std::move(*encoded));
    statement.bindBlob(parameter, asBytes(scratch.back()));
  } else if (const auto* text = value->string()) {
    statement.bindText(parameter, *text);
  } else if (const auto number = value->integer()) {
    statement.bind(parameter, *number);
  } else if (const auto date = value->date()) {
    statement.bind(parameter, date->timeIntervalSinceReferenceDate());
  } else if (const auto id = value->uuid()) {
    scratch.emplace_back(id->bytes().begin(), id->bytes().end());
    statement.bindBlob(parameter, asBytes(scratch.back()));
  } else if (const auto* bytes = value->bytes()) {
    statement.bindBlob(parameter, *bytes);
  } else {
    statement.bindNull(parameter);
  }
}

void bindTarget(Statement& statement, int parameter, const ManagedObject* target) {
  if (target != nullptr && ManagedObjectAccess::primaryKey(*target) != 0) {
    statement.bind(parameter, ManagedObjectAccess::primaryKey(*target));
  } else {
    statement.bindNull(parameter);
  }
}

}  // namespace

void Store::bind(Statement& statement, const ManagedObject& object,
                 std::vector<std::string>& scratch) {
  const auto& attributes = object.entity().attributes();
  scratch.clear();
  // Bound texts point into `scratch`, which must not move while the statement runs.
  scratch.reserve(attributes.size());
  int parameter = 1;
  statement.bind(parameter++, Access::primaryKey(object));
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    bindValue(statement, parameter++, attributes[i], Access::attributes(object)[i], scratch);
  }
  for (unsigned index : object.entity().toOneRelationships()) {
    bindTarget(statement, parameter++, Access::links(object)[index].target);
  }
}

Statement& Store::byForeignKey(const EntityDescription& entity, std::uint32_t relationship) {
  auto& slot = statements(entity).byForeignKey[relationship];
  if (slot == nullptr) {
    slot = std::make_unique<Statement>(*database_,
                                       StoreSchema::selectByForeignKey(entity, relationship));
  }
  return *slot;
}

Statement& Store::update(const EntityDescription& entity, std::uint64_t columns) {
  auto& slot = statements(entity).updates[columns];
  if (slot == nullptr) {
    slot = std::make_unique<Statement>(*database_, StoreSchema::update(entity, columns));
  }
  return *slot;
}

void Store::bindColumns(Statement& statement, const ManagedObject& object, std::uint64_t columns,
                        std::vector<std::string>& scratch) {
  const auto& attributes = object.entity().attributes();
  const auto& toOne = object.entity().toOneRelationships();
  scratch.clear();
  // Room for the attributes written, each of which may keep one encoded value; a move writes
  // only a link and needs none.
  const std::uint64_t attributeColumns =
      attributes.size() >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << attributes.size()) - 1;
  if (const int written = std::popcount(columns & attributeColumns); written > 0) {
    scratch.reserve(static_cast<std::size_t>(written));
  }
  int parameter = 1;
  statement.bind(parameter++, Access::primaryKey(object));
  for (std::size_t column = 0; column < attributes.size() + toOne.size(); ++column) {
    if ((columns >> column & 1) == 0) continue;
    if (column < attributes.size()) {
      bindValue(statement, parameter++, attributes[column], Access::attributes(object)[column],
                scratch);
    } else {
      bindTarget(statement, parameter++,
                 Access::links(object)[toOne[column - attributes.size()]].target);
    }
  }
}

}  // namespace kelvo::data
