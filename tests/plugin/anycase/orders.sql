CREATE TABLE orders (id INTEGER, total INTEGER);

CREATE PROCEDURE GetOrders
AS
  SELECT id, total FROM orders;

CREATE PROCEDURE report
AS
  EXEC getorders;
