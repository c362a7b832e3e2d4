package counter_pkg;
  typedef enum logic [1:0] {IDLE, RUN} state_t;
endpackage

interface bus_if (input logic clk);
  logic [7:0] data;
  modport master (output data);
endinterface

module counter #(parameter WIDTH = 8) (input logic clk, input logic rst, output logic [WIDTH-1:0] count);
  wire enable;
  always_ff @(posedge clk) begin
    if (rst) count <= 0;
    else count <= count + 1;
  end
  property no_overflow;
    @(posedge clk) count != '1;
  endproperty
  overflow_check: assert property (no_overflow);
  covergroup cg @(posedge clk);
    coverpoint count;
  endgroup
endmodule

class driver;
  rand int delay;
  constraint short_delay { delay < 10; }
  task run();
  endtask
endclass
