library ieee;
use ieee.std_logic_1164.all;

entity counter is
  generic (WIDTH : integer := 8);
  port (clk : in std_logic; count : out integer);
end entity counter;

architecture rtl of counter is
  signal value : integer := 0;
  constant LIMIT : integer := 255;
begin
  tick : process (clk)
  begin
    if rising_edge(clk) then
      value <= value + 1;
    end if;
  end process tick;
  count <= value;
end architecture rtl;
