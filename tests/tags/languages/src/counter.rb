require 'set'
module Tally
  LIMIT = 10
  class Counter
    attr_accessor :total
    def count; end
    def self.create; end
    alias_method :size, :count
  end
end
