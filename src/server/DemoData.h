#pragma once

class EmbeddedConnection;

// Fills a new store with demonstration data: a few hundred employees in a few
// departments, meal types and meals (some inactive), tags, earlier distributed meals
// and three sign-in users with documented demo passwords (see docs/DATABASE.md).
namespace DemoData {

void populate(EmbeddedConnection& store);

} // namespace DemoData
