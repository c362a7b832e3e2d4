library ieee;
use ieee.std_logic_1164.all;

entity Counter is
  port (clk : in std_logic);
end entity Counter;

architecture rtl of Counter is
begin
end architecture rtl;

entity top is
end entity top;

architecture structure of top is
begin
  u1: entity work.COUNTER port map (clk => open);
end architecture structure;
