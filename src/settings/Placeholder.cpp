namespace yb {}
